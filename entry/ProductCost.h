#pragma once

#include <QString>

#include <optional>

class CachedDataset;

// The cost of an item's product as the details panel shows it: per purchase unit when the
// purchase-unit table knows the pair of units, otherwise per stock unit ("0,05 / g").
struct ItemCostDisplay {
    QString text;
};

// Reads the supply product named `productName` and the purchase-unit row of its units; nullopt
// when no supply product has exactly that name. Leaves both datasets closed.
std::optional<ItemCostDisplay> ItemCostPerUnit(CachedDataset& componentes, CachedDataset& tabFormP,
                                               const QString& productName, const QString& purchaseUnit);

enum class CostUpdate { Updated, Unchanged, NotFound };

// Writes an item's unit price back into its product as the cost of one stock unit and recomputes
// the product's price in reais. The product is found by code, then by name, among the supply
// products. The price is of one `purchaseUnit`, the unit the item holds now: it is divided by the
// stock units that unit holds as the purchase-unit table gives them for the product's own stock
// unit and divisor (1 when the table does not know the pair, or gives 0). A product whose
// DIVISORUNID is 0 is posted unchanged. Leaves both datasets closed.
CostUpdate UpdateProductCost(CachedDataset& componentes, CachedDataset& tabFormP, const QString& code,
                             const QString& name, const QString& purchaseUnit, double unitPrice);

// The message shown when the product of an item is not in the catalogue.
QString ProductNotFoundMessage(const QString& name, const QString& code);
