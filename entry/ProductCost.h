#pragma once

#include <QString>

#include <optional>

class CachedDataset;

// The cost of an item's product as the details panel shows it: per purchase unit when the
// purchase-unit table knows the pair of units, otherwise per stock unit ("0,05 / g").
// `multiplier` is the stock units per purchase unit that the cost update then uses: the table's
// MULTIPLICADOR, or 1 when no row matched, so that no earlier item's multiplier carries over.
struct ItemCostDisplay {
    QString text;
    double multiplier = 1;
};

// Reads the supply product named `productName` and the purchase-unit row of its units; nullopt
// when no supply product has exactly that name. Leaves both datasets closed.
std::optional<ItemCostDisplay> ItemCostPerUnit(CachedDataset& componentes, CachedDataset& tabFormP,
                                               const QString& productName, const QString& purchaseUnit);

enum class CostUpdate { Updated, Unchanged, NotFound };

// Writes an item's unit price back into its product as the cost of one stock unit (price ÷
// multiplier) and recomputes the product's price in reais. The product is found by code, then by
// name, among the supply products. A multiplier of 0 counts as 1 and is set to 1. A product whose
// DIVISORUNID is 0 is posted unchanged. Leaves `componentes` closed.
CostUpdate UpdateProductCost(CachedDataset& componentes, const QString& code, const QString& name, double unitPrice,
                             double& multiplier);

// The message shown when the product of an item is not in the catalogue.
QString ProductNotFoundMessage(const QString& name, const QString& code);
