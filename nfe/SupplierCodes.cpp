#include "nfe/SupplierCodes.h"

#include "data/AsciiCase.h"
#include "data/FieldValue.h"

namespace suppliercodes {

namespace {

constexpr int kFactorScale = 5;
constexpr int kFactorPrecision = 15;

SupplierCode codeOf(const Values& row)
{
    SupplierCode code;
    code.cnpj = field::toText(row.at(0)).trimmed();
    code.cProd = field::toText(row.at(1));
    code.codigo = field::toText(row.at(2)).trimmed();
    code.uCom = field::toText(row.at(3)).trimmed();
    code.unidade = field::toText(row.at(4)).trimmed();
    code.fator = field::toDecimal(row.at(5));
    code.componente = field::toText(row.at(6)).trimmed();
    return code;
}

const QString kSelect = QStringLiteral("select P.CNPJ, P.CPROD, P.CODIGO, P.UCOM, P.UNIDADE, P.FATOR, C.COMPONENTE "
                                       "from PRODFORN P left join COMPONEN C on C.CODIGO = P.CODIGO ");

// The row's quantity over the NF-e's, when it is exact at the factor's scale and fits its column;
// otherwise none.
std::optional<Decimal> factorOf(const Decimal& rowQuantity, const Decimal& nfeQuantity)
{
    if (nfeQuantity.units <= 0 || rowQuantity.units <= 0)
        return std::nullopt;
    try {
        const Decimal factor = Decimal::fromDouble(rowQuantity.toDouble() / nfeQuantity.toDouble(), kFactorScale);
        if (factor.units <= 0 || !factor.fits(kFactorPrecision, kFactorScale) ||
            !(Decimal::product(nfeQuantity, factor, kFactorScale) == rowQuantity))
            return std::nullopt;
        return factor;
    } catch (const DecimalOverflow&) {
        return std::nullopt;
    }
}

} // namespace

bool Available(FbConnection& connection)
{
    const Values row = connection.executeRow(
        QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME in ('PRODFORN', 'ITEMNFE')"));
    return !row.empty() && std::get<qint64>(row.front()) == 2;
}

std::vector<SupplierCode> ForIssuer(FbConnection& connection, const QString& cnpj)
{
    std::vector<SupplierCode> codes;
    if (cnpj.isEmpty() || cnpj.size() > kCnpjWidth)
        return codes;
    auto cursor = connection.openCursor(
        QStringLiteral("select P.CNPJ, P.CPROD, P.CODIGO, P.UCOM, P.UNIDADE, P.FATOR, C.COMPONENTE, C.FABRICANTE "
                       "from PRODFORN P join COMPONEN C on C.CODIGO = P.CODIGO and C.GRUPO = 'SUP' where P.CNPJ = ?"),
        {cnpj});
    while (cursor->fetch()) {
        Values row;
        for (int i = 0; i < 7; ++i)
            row.push_back(cursor->value(i));
        SupplierCode code = codeOf(row);
        code.fabricante = cursor->text(7);
        codes.push_back(code);
    }
    return codes;
}

std::vector<SupplierCode> List(FbConnection& connection, const QString& cnpj)
{
    std::vector<SupplierCode> codes;
    auto cursor = cnpj.isEmpty()
                      ? connection.openCursor(kSelect + QStringLiteral("order by P.CNPJ, P.CPROD"))
                      : connection.openCursor(kSelect + QStringLiteral("where P.CNPJ = ? order by P.CPROD"), {cnpj});
    while (cursor->fetch()) {
        Values row;
        for (int i = 0; i < 7; ++i)
            row.push_back(cursor->value(i));
        codes.push_back(codeOf(row));
    }
    return codes;
}

bool Remove(FbConnection& connection, const QString& cnpj, const QString& cProd)
{
    return connection.execute(QStringLiteral("delete from PRODFORN where CNPJ = ? and CPROD = ?"), {cnpj, cProd}) > 0;
}

void RecordOrigins(FbConnection& connection, const std::vector<ItemOrigin>& origins)
{
    std::vector<Values> rows;
    for (const ItemOrigin& o : origins)
        if (!o.cnpj.isEmpty() && !o.cProd.isEmpty() && o.cnpj.size() <= kCnpjWidth && o.cProd.size() <= kCProdWidth &&
            o.uCom.size() <= kUnitWidth)
            rows.push_back({o.workstation, o.codCompra, o.cnpj, o.cProd, ascii::lower(o.uCom), o.quantity});
    if (!rows.empty())
        connection.executeMany(QStringLiteral("update or insert into ITEMNFE (ESTACAO, CODCOMPRA, CNPJ, CPROD, UCOM, "
                                              "QUANTIDADE) values (?, ?, ?, ?, ?, ?) matching (ESTACAO, CODCOMPRA)"),
                               rows);
}

bool RememberIdentified(FbConnection& connection, const QString& workstation, qint64 codCompra)
{
    const Values row = connection.executeRow(
        QStringLiteral("select C.CODIGO, C.QUANTIDADE, C.UNIDADE, I.CNPJ, I.CPROD, I.UCOM, I.QUANTIDADE "
                       "from COMPRAS C join ITEMNFE I on I.ESTACAO = C.ESTACAO and I.CODCOMPRA = C.CODCOMPRA "
                       "where C.ESTACAO = ? and C.CODCOMPRA = ?"),
        {workstation, codCompra});
    if (row.empty() || isNull(row.at(0)) || field::toText(row.at(0)).trimmed().isEmpty())
        return false;
    const QString uCom = field::toText(row.at(5)).trimmed();
    QString unidade = ascii::lower(field::toText(row.at(2)).trimmed());
    std::optional<Decimal> factor = factorOf(field::toDecimal(row.at(1)), field::toDecimal(row.at(6)));
    if (!factor) {
        // A quantity that is no whole multiple at the factor's scale: the product only, in the
        // supplier's unit.
        factor = Decimal{1, 0};
        unidade = uCom;
    }
    connection.execute(
        QStringLiteral("update or insert into PRODFORN (CNPJ, CPROD, CODIGO, UCOM, UNIDADE, FATOR, "
                       "ATUALIZADO) values (?, ?, ?, ?, ?, ?, current_timestamp) matching (CNPJ, CPROD)"),
        {field::toText(row.at(3)).trimmed(), field::toText(row.at(4)), field::toText(row.at(0)).trimmed(), uCom,
         unidade, factor->rescaled(kFactorScale)});
    return true;
}

} // namespace suppliercodes
