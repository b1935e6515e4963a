#pragma once

#include "data/CachedDataset.h"
#include "data/FbConnection.h"
#include "data/SqlCommand.h"

#include <QObject>

#include <memory>

struct SessionState;
class DatasetRules;

// The data module: the shared database (`SQLConnection1`) and the workstation database
// (`SQLConnection2`), every cached dataset under its own name with its table, write mode, key and
// required columns and standing query, the data sources, and the command object `SQLQuery1`.
// The dataset rules are attached when it is created; they share the counters and the login
// identity through `SessionState`, hold the invoice's mode and reach no window: the window is
// built on the data module and listens to its rules.
class TDM : public QObject {
    Q_OBJECT

public:
    TDM(const FbConnection::Params& shared, const FbConnection::Params& workstation, SessionState& session,
        QObject* parent = nullptr);
    ~TDM() override;

    FbConnection SQLConnection1;
    FbConnection SQLConnection2;
    SqlCommand SQLQuery1;

    CachedDataset NFiscal;
    CachedDataset Compras;
    CachedDataset Compras2;
    CachedDataset Movest;
    CachedDataset EstLote;
    CachedDataset Fornecedor;
    CachedDataset Componentes;
    CachedDataset CompNomes;
    CachedDataset SinonPesq;
    CachedDataset Unidades;
    CachedDataset TabFormP;
    CachedDataset CotDolar;
    CachedDataset Usuarios;
    CachedDataset Estacoes;
    CachedDataset TabLab;
    CachedDataset Periodo;
    CachedDataset FormasPG;
    CachedDataset ContasP;
    CachedDataset PagDiver;
    CachedDataset qryVencimentos;
    CachedDataset qryRotulos;

    DataSource DS_NFiscal;
    DataSource DS_Compras; // no automatic edit: typing in the item grid does not edit `Compras`
    DataSource DS_Compras2;
    DataSource DS_Fornecedor;
    DataSource DS_Compon;
    DataSource DS_CompNomes;
    DataSource DS_Unidades;
    DataSource DS_CotDolar;
    DataSource DS_Usuarios;
    DataSource DS_Periodo;
    DataSource DS_FormasPG;
    DataSource DS_ContasP;
    DataSource DS_PagDiver;
    DataSource DS_Vencimentos;
    DataSource DS_Rotulos;

    // Every cached dataset, in the order above; one by its name (nullptr when there is none).
    QList<CachedDataset*> datasets();
    CachedDataset* dataset(const QString& name);
    // The query a dataset has when the program starts.
    static QString standingQuery(const QString& datasetName);

    // Runs a statement that returns no rows on `SQLConnection1`, committed at once.
    unsigned execute(const QString& sql);

    SessionState& session() const { return session_; }
    DatasetRules& rules() const { return *rules_; }

private:
    SessionState& session_;
    std::unique_ptr<DatasetRules> rules_;
};
