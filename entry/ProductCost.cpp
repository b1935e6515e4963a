#include "entry/ProductCost.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/Formats.h"
#include "data/SqlText.h"
#include "entry/SupplyProducts.h"

namespace {

const int kUnitLength = 3;
const int kCodeLength = 13;
const int kNameLength = 80;

void requery(CachedDataset& ds, const QString& sql)
{
    ds.close();
    ds.setCommandText(sql);
    ds.open();
}

// A number as a statement writes it without decimals it does not need: 1000, 0.5.
QString plainNumber(double value)
{
    QString text = QString::number(value, 'f', 8);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString purchaseUnitQuery(const QString& stockUnit, double divisor, const QString& purchaseUnit)
{
    return QStringLiteral("select UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, MULTIPLICADOR from TABFORMP "
                          "where UNID_COMPONENTE = ") +
           sql::quoted(stockUnit) + QStringLiteral(" and DIV_UNID_COMPONENTE = ") + plainNumber(divisor) +
           QStringLiteral(" and UNID_COMPRAS = ") + sql::quoted(purchaseUnit);
}

bool matchesUnits(const CachedDataset& row, const QString& stockUnit, double divisor, const QString& purchaseUnit)
{
    return !row.isEmpty() && row.asText(QStringLiteral("UNID_COMPONENTE")) == stockUnit &&
           row.asFloat(QStringLiteral("DIV_UNID_COMPONENTE")) == divisor &&
           row.asText(QStringLiteral("UNID_COMPRAS")) == purchaseUnit;
}

// Stock units in one purchase unit, as the purchase-unit table gives them for the pair of units
// and the product's divisor; nullopt when it does not know them.
std::optional<double> purchaseUnitMultiplier(CachedDataset& tabFormP, const QString& stockUnit, double divisor,
                                             const QString& purchaseUnit)
{
    const QString stock = ascii::lower(stockUnit).left(kUnitLength);
    const QString unit = ascii::lower(purchaseUnit).left(kUnitLength);
    requery(tabFormP, purchaseUnitQuery(stock, divisor, unit));
    std::optional<double> multiplier;
    if (matchesUnits(tabFormP, stock, divisor, unit))
        multiplier = tabFormP.asFloat(QStringLiteral("MULTIPLICADOR"));
    tabFormP.close();
    return multiplier;
}

bool findByCodeThenName(CachedDataset& componentes, const QString& code, const QString& name)
{
    requery(componentes, supplyproducts::byCode(code));
    if (!componentes.isEmpty() && componentes.asText(QStringLiteral("CODIGO")) == code)
        return true;
    requery(componentes, supplyproducts::byName(name));
    return !componentes.isEmpty() && componentes.asText(QStringLiteral("COMPONENTE")) == name;
}

} // namespace

std::optional<ItemCostDisplay> ItemCostPerUnit(CachedDataset& componentes, CachedDataset& tabFormP,
                                               const QString& productName, const QString& purchaseUnit)
{
    requery(componentes, supplyproducts::byName(productName));
    if (componentes.isEmpty() || componentes.asText(QStringLiteral("COMPONENTE")) != productName) {
        componentes.close();
        return std::nullopt;
    }
    const double cost = componentes.asFloat(QStringLiteral("CUSTOUNITR"));
    const QString stockUnit = ascii::lower(componentes.asText(QStringLiteral("UNID"))).left(kUnitLength);
    const double divisor = componentes.asFloat(QStringLiteral("DIVISORUNID"));
    componentes.close();

    if (const auto multiplier = purchaseUnitMultiplier(tabFormP, stockUnit, divisor, purchaseUnit))
        return ItemCostDisplay{formats::fixed2(cost * *multiplier)};
    // A divisor of 0 would divide by zero: the cost is shown as it is kept.
    const double perStockUnit = divisor != 0 ? cost / divisor : cost;
    return ItemCostDisplay{formats::fixed2(perStockUnit) + QStringLiteral(" / ") + stockUnit};
}

CostUpdate UpdateProductCost(CachedDataset& componentes, CachedDataset& tabFormP, const QString& code,
                             const QString& name, const QString& purchaseUnit, double unitPrice)
{
    if (!findByCodeThenName(componentes, code.left(kCodeLength), name.left(kNameLength))) {
        componentes.close();
        return CostUpdate::NotFound;
    }
    const double divisor = componentes.asFloat(QStringLiteral("DIVISORUNID"));
    double multiplier =
        purchaseUnitMultiplier(tabFormP, componentes.asText(QStringLiteral("UNID")), divisor, purchaseUnit).value_or(1);
    if (multiplier == 0)
        multiplier = 1;
    componentes.edit();
    const bool changed = divisor != 0;
    if (changed) {
        const double cost = unitPrice / multiplier;
        componentes.setFloat(QStringLiteral("CUSTOUNITR"), cost);
        componentes.setFloat(QStringLiteral("PRECOR"),
                             cost * componentes.asFloat(QStringLiteral("MULTIPLICADOR")) / divisor);
    }
    componentes.post();
    componentes.close();
    return changed ? CostUpdate::Updated : CostUpdate::Unchanged;
}

QString ProductNotFoundMessage(const QString& name, const QString& code)
{
    return QStringLiteral("Produto \"") + name + QStringLiteral("\" codigo ") + code +
           QStringLiteral(" não encontrado do cadastro de produtos.\rNão foi possível fazer a atualização do custo "
                          "unitário do produto.");
}
