#include "entry/StockLocation.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"

namespace {

const QString kStoreRoom = QStringLiteral("Almoxarifado");

StockLocationCheck matchAmong(CachedDataset& tabLab, const QString& typed)
{
    const QString wanted = ascii::upper(typed);
    for (tabLab.first(); !tabLab.eof(); tabLab.next()) {
        const QString location = tabLab.asText(QStringLiteral("LABORATORIO"));
        if (ascii::upper(location) == wanted)
            return {true, location};
    }
    return {wanted == ascii::upper(kStoreRoom), std::nullopt};
}

} // namespace

StockLocationCheck CheckStockLocationText(int locationCount, const QString& typed, CachedDataset& tabLab)
{
    if (locationCount == 0)
        return {true, kStoreRoom};
    tabLab.open();
    StockLocationCheck check;
    if (locationCount == 1) {
        tabLab.first();
        if (!tabLab.isEmpty())
            check.location = tabLab.asText(QStringLiteral("LABORATORIO"));
    } else {
        check = matchAmong(tabLab, typed);
    }
    tabLab.close();
    return check;
}
