#include "entry/ui/ItemEntry.h"

#include "entry/ui/CostDetails.h"
#include "entry/ui/ItemGrid.h"
#include "entry/ui/ProductOptions.h"
#include "entry/ui/UnitOptions.h"

#include <QObject>

ItemEntry::ItemEntry(const EntryData& dm, WindowState& windowState, QWidget* workArea, QWidget* window)
    : cost(new CostDetails(workArea)), units(new UnitOptions(windowState, window)),
      products(new ProductOptions(windowState, values, workArea)),
      grid(new ItemGrid(values, *products, *units, *cost, workArea))
{
    QObject::connect(cost, &CostDetails::productColumnWanted, grid, &ItemGrid::selectProductColumn);
    QObject::connect(units, &UnitOptions::itemGridWanted, grid, &ItemGrid::focusGrid);
    // The cost shown follows the product and the unit the item finally holds, whichever panel
    // gave them.
    QObject::connect(units, &UnitOptions::unitTaken, cost, &CostDetails::ShowItemCostPerUnit);
    QObject::connect(products, &ProductOptions::itemGridWanted, cost, &CostDetails::ShowItemCostPerUnit);
    QObject::connect(products, &ProductOptions::itemGridWanted, grid, &ItemGrid::focusGrid);
    attachDataModule(dm);
}

void ItemEntry::attachDataModule(const EntryData& dm)
{
    cost->attachDataModule(dm);
    units->attachDataModule(dm);
    products->attachDataModule(dm);
    grid->attachDataModule(dm);
}

void ItemEntry::ShowItemCostPerUnit()
{
    cost->ShowItemCostPerUnit();
}
