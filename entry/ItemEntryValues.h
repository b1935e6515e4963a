#pragma once

#include <QString>

// What the item entry keeps between events, one set per window.
struct ItemEntryValues {
    // QUANTIDADE of the current item when the quantity cell was entered (or the item became current).
    double EnteredQuantity = 0;
    // The unit price at the same moments, formatted "0.00".
    QString EnteredPriceText;
    // COMPONENTE of the current item at the same moments, for the product cell.
    QString EnteredProductText;
    // The product name last searched for (catalogue letter case, at most 40 characters).
    QString SearchedProductName;
};
