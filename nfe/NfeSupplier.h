#pragma once

#include "nfe/NfeData.h"

struct NfeDocument;

// Makes sure the issuer of the NF-e is a supplier: looks it up by CNPJ (the digits as the NF-e
// writes them) and, when it is not registered yet, registers it from the NF-e's values with
// normalised names. Sets `NfeSupplierName` (the name the invoice is recorded under, fit for the
// invoice's supplier column) and `NfeSupplierCode`; an empty name means the step failed, and
// the clerk has been told why.
void RegisterNfeSupplier(NfeData dm, NfeDocument& doc);
