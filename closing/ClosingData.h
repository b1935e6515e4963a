#pragma once

#include "data/SqlCommand.h"

class CachedDataset;
class TDM;

// What the totals and the closing into stock reach of the data module: the invoices and their
// items, the stock movements, the lots, the products and the shared database.
struct ClosingData {
    ClosingData(TDM& dm); // NOLINT(google-explicit-constructor): the closing runs on the data module

    // A command of the closing's own, for one statement or one walk over rows: no other caller's
    // statement is closed or replaced under it.
    SqlCommand command() const;

    CachedDataset& NFiscal;
    CachedDataset& Compras;
    CachedDataset& Movest;
    CachedDataset& EstLote;
    CachedDataset& Componentes;
    FbConnection& SQLConnection1;
};
