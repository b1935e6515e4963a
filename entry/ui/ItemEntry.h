#pragma once

#include "entry/EntryData.h"
#include "entry/ItemEntryValues.h"

class CostDetails;
class ItemGrid;
class ProductOptions;
class QWidget;
class UnitOptions;
class WindowState;

// The items of the invoice window: the item grid with the product look-up, the unit check and the
// product's cost, sharing the values kept between their events. The panels belong to the widgets
// they stand in; the window keeps this and lets it go before them.
class ItemEntry {
public:
    // The grid, the product details and the product options stand in the work area; the unit
    // options over the whole `window`. Each is bound to the data of `dm`.
    ItemEntry(const EntryData& dm, WindowState& windowState, QWidget* workArea, QWidget* window);

    void ShowItemCostPerUnit();

    ItemEntryValues values;
    CostDetails* const cost;
    UnitOptions* const units;
    ProductOptions* const products;
    ItemGrid* const grid;

private:
    void attachDataModule(const EntryData& dm);
};
