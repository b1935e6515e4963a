#include "entry/SupplyProducts.h"

#include "data/CachedDataset.h"
#include "data/SqlText.h"
#include "db/ColumnLists.h"
#include "entry/ProductNames.h"

namespace {

const int kSearchNameLength = 40;

QString selectSupply(const QString& condition)
{
    return QStringLiteral("select ") + ComponenColumns + QStringLiteral(" from COMPONEN where GRUPO = 'SUP'") +
           condition;
}

void requery(CachedDataset& ds, const QString& sql)
{
    ds.close();
    ds.setCommandText(sql);
    ds.open();
}

} // namespace

namespace supplyproducts {

QString byDcb(const QString& dcb)
{
    return selectSupply(QStringLiteral(" and DCB = ") + sql::quoted(dcb));
}

QString byName(const QString& name)
{
    return selectSupply(QStringLiteral(" and COMPONENTE = ") + sql::quoted(name));
}

QString byCode(const QString& code)
{
    return selectSupply(QStringLiteral(" and CODIGO = ") + sql::quoted(code));
}

QString optionsList()
{
    return QStringLiteral("select CODIGO, COMPONENTE, GRUPO, UNID, FABRICANTE, FORNECEDOR, DENSIDADE, FATORCORRECAO, "
                          "LISTA, DCB, DOSAGEMMIN, DOSAGEMMAX from COMPONEN where GRUPO = 'SUP' order by COMPONENTE");
}

} // namespace supplyproducts

QString ProductSearchName(const QString& typed)
{
    return NormalizeProductName(typed).left(kSearchNameLength);
}

bool FindSupplyProduct(CachedDataset& componentes, const QString& typed)
{
    requery(componentes, supplyproducts::byDcb(typed));
    if (!componentes.isEmpty() && componentes.asText(QStringLiteral("DCB")) == typed)
        return true;
    // The server compares the names as the list in name order does (byte by byte, trailing blanks
    // not counting): it hands over the product of that name without the list up to it.
    requery(componentes, supplyproducts::byName(ProductSearchName(typed)));
    return !componentes.isEmpty();
}
