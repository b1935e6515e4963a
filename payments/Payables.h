#pragma once

#include "data/FbConnection.h"

#include <QString>

// Whether the invoice needs no accounts-payable reminder: it is not closed yet (no gross value
// shown), or a payable with its description exists.
bool IsInvoiceInPayables(FbConnection& connection, const QString& grossValueText, const QString& invoiceNumber,
                         const QString& supplierName);
