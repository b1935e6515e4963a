#pragma once

class CachedDataset;
class DataSource;
class TDM;

// What the purchase search and the invoice table reach of the data module: the invoices, every
// purchased item, the products and their synonyms.
struct SearchData {
    SearchData(TDM& dm); // NOLINT(google-explicit-constructor): the search runs on the data module

    CachedDataset& NFiscal;
    CachedDataset& Compras2;
    CachedDataset& Componentes;
    CachedDataset& SinonPesq;
    DataSource& DS_NFiscal;
    DataSource& DS_Compras2;
};
