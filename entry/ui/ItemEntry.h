#pragma once

#include "entry/ItemEntryValues.h"

#include <memory>

class CostDetails;
class ItemGrid;
class ProductOptions;
class TDM;
class TFormCompras;
class UnitOptions;

// The items of the invoice window: the item grid with the product look-up, the unit check and the
// product's cost, sharing the values kept between their events. The window holds it and lets it go
// before its controls.
class ItemEntry {
public:
    ItemEntry(TFormCompras& form, TDM& dm);
    ~ItemEntry();

    void ShowItemCostPerUnit();

    ItemEntryValues values;
    const std::unique_ptr<CostDetails> cost;
    const std::unique_ptr<UnitOptions> units;
    const std::unique_ptr<ProductOptions> products;
    const std::unique_ptr<ItemGrid> grid;
};
