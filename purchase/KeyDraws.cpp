#include "purchase/KeyDraws.h"

#include "data/DbError.h"
#include "data/FieldValue.h"
#include "data/SqlCommand.h"

#include <algorithm>

namespace keys {

namespace {

// The greatest value as an integer, 0 when the table is empty (or the value cannot be read, when
// `lenient`).
qint64 greatest(SqlCommand& q, const QString& sql, const QString& alias, bool lenient)
{
    const Value v = q.single(sql, alias);
    try {
        return field::toInteger(v);
    } catch (const ConversionError&) {
        if (lenient)
            return 0;
        throw;
    }
}

} // namespace

qint64 NextInvoiceCode(SqlCommand& q)
{
    return greatest(q, QStringLiteral("select Max(CODIGO) as UltCod from NFiscal"), QStringLiteral("UltCod"), false) +
           1;
}

// Above every item and every stock movement of an item: an item whose row was deleted after its
// invoice was closed keeps its movement, and a new item under the same code would count as entered
// already and never reach the stock.
qint64 NextItemCode(SqlCommand& q)
{
    const Value v = q.single(QStringLiteral("select Max(CODCOMPRA) as UltCod from Compras"), QStringLiteral("UltCod"));
    qint64 greatestItem = 0;
    try {
        greatestItem = field::toInteger(v);
    } catch (const ConversionError&) {
        greatestItem = field::toInteger(QStringLiteral("99") + field::toText(v).mid(2));
    }
    const qint64 greatestEntered =
        greatest(q, QStringLiteral("select Max(CODCOMPRA) as UltCod from Movest"), QStringLiteral("UltCod"), true);
    return std::max(greatestItem, greatestEntered) + 1;
}

qint64 SupplierCodeBase(SqlCommand& q)
{
    return greatest(q, QStringLiteral("select Max(CODIGO) as UltCod from Forneced"), QStringLiteral("UltCod"), false);
}

QString SupplierCodeText(qint64 code)
{
    return QString::number(code).rightJustified(4, QLatin1Char('0'));
}

qint64 NextPayableCode(SqlCommand& q)
{
    return greatest(q, QStringLiteral("Select Max(CODCTAPAGAR) as MaiorCODCTAPAGAR from CTAPAGAR"),
                    QStringLiteral("MaiorCODCTAPAGAR"), true) +
           1;
}

qint64 NextInstalmentCode(SqlCommand& q)
{
    return greatest(q, QStringLiteral("Select Max(CODPAGDIVER) as MaiorCOD from PAGDIVER"), QStringLiteral("MaiorCOD"),
                    true) +
           1;
}

qint64 NextMovementCode(SqlCommand& q)
{
    return greatest(q, QStringLiteral("select Max(CODMOVEST) as UltCod from MOVEST"), QStringLiteral("UltCod"), true) +
           1;
}

} // namespace keys
