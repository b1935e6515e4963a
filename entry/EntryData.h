#pragma once

#include <QString>

class CachedDataset;
class DataSource;
class DatasetRules;
class FbConnection;
class TDM;
struct SessionState;

// What the invoice entry reaches of the data module: the header, its items and their working
// copy, the products with their names, units and price forms, the suppliers, the stock locations,
// the shared database for the statements the entry writes or reads on its own, the session and the
// dataset rules.
struct EntryData {
    EntryData(TDM& dm); // NOLINT(google-explicit-constructor): the entry runs on the data module

    CachedDataset& NFiscal;
    CachedDataset& Compras;
    CachedDataset& Compras2;
    CachedDataset& Componentes;
    CachedDataset& CompNomes;
    CachedDataset& Fornecedor;
    CachedDataset& Unidades;
    CachedDataset& TabFormP;
    CachedDataset& TabLab;
    DataSource& DS_NFiscal;
    DataSource& DS_Compras;
    DataSource& DS_CompNomes;
    DataSource& DS_Fornecedor;
    DataSource& DS_Unidades;
    FbConnection& SQLConnection1;
    // Only for the rules' calls that still take the whole data module.
    TDM& dataModule;

    SessionState& session() const;
    DatasetRules& rules() const;
    // Runs a statement that returns no rows on `SQLConnection1`, committed at once.
    unsigned execute(const QString& sql) const;
    // The query a dataset has when the program starts.
    static QString standingQuery(const QString& datasetName);
};
