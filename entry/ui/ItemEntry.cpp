#include "entry/ui/ItemEntry.h"

#include "entry/ui/CostDetails.h"
#include "entry/ui/ItemGrid.h"
#include "entry/ui/ProductOptions.h"
#include "entry/ui/UnitOptions.h"

ItemEntry::ItemEntry(TFormCompras& form, TDM& dm)
    : cost(std::make_unique<CostDetails>(form, dm, values)), units(std::make_unique<UnitOptions>(form, dm)),
      products(std::make_unique<ProductOptions>(form, dm, values)),
      grid(std::make_unique<ItemGrid>(form, dm, values, *products, *units, *cost))
{
}

ItemEntry::~ItemEntry() = default;

void ItemEntry::ShowItemCostPerUnit()
{
    cost->ShowItemCostPerUnit();
}
