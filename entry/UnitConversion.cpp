#include "entry/UnitConversion.h"

#include "data/AsciiCase.h"

#include <array>

namespace {

struct Factor {
    const char* stock;
    const char* purchase;
    double factor;
};

constexpr std::array<Factor, 16> kFactors = {{
    {"KG", "G", 0.001},
    {"G", "MG", 0.001},
    {"MG", "MCG", 0.001},
    {"MIL", "UN", 0.001},
    {"ML", "MCL", 0.001},
    {"L", "ML", 0.001},
    {"G", "KG", 1000},
    {"MG", "G", 1000},
    {"MCG", "MG", 1000},
    {"UN", "MIL", 1000},
    {"MCL", "ML", 1000},
    {"ML", "L", 1000},
    {"KG", "MG", 1e-6},
    {"G", "MCG", 1e-6},
    {"MG", "KG", 1000000},
    {"MCG", "G", 1000000},
}};

} // namespace

double UnitConversionFactor(const QString& stockUnit, const QString& purchaseUnit)
{
    const QString s = ascii::upper(stockUnit);
    const QString p = ascii::upper(purchaseUnit);
    if (s.isEmpty())
        return 1;
    for (const Factor& f : kFactors)
        if (s == QLatin1String(f.stock) && p == QLatin1String(f.purchase))
            return f.factor;
    return 1;
}
