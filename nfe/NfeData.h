#pragma once

#include "data/SqlCommand.h"

class CachedDataset;
class TDM;

// What the NF-e import reaches of the data module: the invoices and their items (to stand on the
// imported invoice), the suppliers (to register the issuer) and the shared database.
struct NfeData {
    NfeData(TDM& dm); // NOLINT(google-explicit-constructor): the import runs on the data module

    // A command of the import's own, for one key draw or one look-up.
    SqlCommand command() const;

    CachedDataset& NFiscal;
    CachedDataset& Compras;
    CachedDataset& Fornecedor;
    FbConnection& SQLConnection1;
};
