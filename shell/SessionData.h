#pragma once

class CachedDataset;
class FbConnection;
class TDM;

// What the session reaches of the data module when the window starts: the workstations, the stock
// locations, the suppliers and the payment forms, and the shared database for what it reads on
// its own.
struct SessionData {
    SessionData(TDM& dm); // NOLINT(google-explicit-constructor): the session runs on the data module

    CachedDataset& Estacoes;
    CachedDataset& TabLab;
    CachedDataset& Fornecedor;
    CachedDataset& FormasPG;
    FbConnection& SQLConnection1;
};
