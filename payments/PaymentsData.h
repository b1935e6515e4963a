#pragma once

#include "data/SqlCommand.h"

class CachedDataset;
class DataSource;
class TDM;
struct SessionState;

// What the payables and the typed instalments reach of the data module: the invoices, the
// instalments and the payables with their data sources, the shared database and the session's
// instalment counter.
struct PaymentsData {
    PaymentsData(TDM& dm); // NOLINT(google-explicit-constructor): the payments run on the data module

    // A command of the payments' own, for one statement: the instalment balance runs inside the
    // rules of `PagDiver`, which may fire while another caller reads through its own command.
    SqlCommand command() const;

    CachedDataset& NFiscal;
    CachedDataset& PagDiver;
    CachedDataset& ContasP;
    DataSource& DS_NFiscal;
    DataSource& DS_PagDiver;
    FbConnection& SQLConnection1;
    SessionState& session;
};
