#pragma once

#include "data/CachedDataset.h"
#include "tests/support/TestDatabase.h"

#include <memory>

// For the tests of the data-aware controls: a fresh database with a small table of items
// ITENS(K, NOME, DATA, VALOR, SITUACAO), rows K = 1..n named "item k", dated 04/03/2026 + k - 1
// days, worth k × 1000,50, in stock "Estoque"; and a cached dataset over it, ordered by K.
class SampleTable {
public:
    explicit SampleTable(int rows);

    CachedDataset& dataset() { return *dataset_; }
    // A data source over the dataset (owned by the table).
    DataSource* source(bool autoEdit);
    qint64 countInDatabase();

private:
    TestDatabase db_;
    std::unique_ptr<CachedDataset> dataset_;
    std::vector<std::unique_ptr<DataSource>> sources_;
};
