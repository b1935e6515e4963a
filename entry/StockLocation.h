#pragma once

#include <QString>

#include <optional>

class CachedDataset;

// What the stock location typed into an item becomes, given the store's locations (TABLAB):
// - none: "Almoxarifado";
// - one: that one, whatever was typed;
// - several: TABLAB's spelling of the one typed in any letter case; "almoxarifado" in any letter
//   case as typed; anything else is refused.
struct StockLocationCheck {
    bool accepted = true;
    std::optional<QString> location; // the text to store, when it changes
};

StockLocationCheck CheckStockLocationText(int locationCount, const QString& typed, CachedDataset& tabLab);
