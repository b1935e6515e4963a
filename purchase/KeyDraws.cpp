#include "purchase/KeyDraws.h"

#include "data/DbError.h"
#include "data/FieldValue.h"
#include "data/SqlCommand.h"

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

qint64 NextItemCode(SqlCommand& q)
{
    const Value v = q.single(QStringLiteral("select Max(CODCOMPRA) as UltCod from Compras"), QStringLiteral("UltCod"));
    try {
        return field::toInteger(v) + 1;
    } catch (const ConversionError&) {
        return field::toInteger(QStringLiteral("99") + field::toText(v).mid(2)) + 1;
    }
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
