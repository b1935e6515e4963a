#pragma once

class CachedDataset;
class TDM;

// What the reports reach of the data module: the workstation's period and the statements of the
// expiry listing and of the labels.
struct ReportDatasets {
    ReportDatasets(TDM& dm); // NOLINT(google-explicit-constructor): the reports run on the data module

    CachedDataset& Periodo;
    CachedDataset& qryVencimentos;
    CachedDataset& qryRotulos;
};
