#pragma once

#include <QString>

// The metric factor that turns a quantity bought in `purchaseUnit` into the product's
// `stockUnit` (2 kg of a product kept in g give 2 × 1000 g). Letter case does not matter; an
// empty stock unit and any pair without a metric relation give 1.
double UnitConversionFactor(const QString& stockUnit, const QString& purchaseUnit);
