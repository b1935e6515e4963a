#pragma once

#include <QString>

// The catalogue's letter case for product names: "ACIDO FOLICO" is "Acido folico",
// "vitamina b12 10mg" is "Vitamina B12 10mg".
QString NormalizeProductName(const QString& text);
