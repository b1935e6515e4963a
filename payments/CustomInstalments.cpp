#include "payments/CustomInstalments.h"

#include "data/FieldValue.h"
#include "data/SqlText.h"
#include "purchase/DataModule.h"

namespace instalments {

namespace {

constexpr int kBalanceWidth = 9;

QString invoiceNumber(TDM& dm)
{
    return dm.NFiscal.asText(QStringLiteral("NOTAFISCAL"));
}

QString supplierName(TDM& dm)
{
    return dm.NFiscal.asText(QStringLiteral("FORNECEDOR"));
}

QString invoiceRows(TDM& dm)
{
    return QStringLiteral(" where NFISCAL = ") + sql::quoted(invoiceNumber(dm)) + QStringLiteral(" and FORNECEDOR = ") +
           sql::quoted(supplierName(dm));
}

} // namespace

int OpenInvoiceInstalments(TDM& dm)
{
    CachedDataset& rows = dm.PagDiver;
    rows.close();
    rows.setCommandText(
        QStringLiteral("select CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, PERCENTUAL, VALORTOTAL from "
                       "PAGDIVER") +
        invoiceRows(dm) + QStringLiteral(" order by ORDEM"));
    rows.open();
    const Value greatest = dm.SQLQuery1.single(
        QStringLiteral("Select Max(ORDEM) as MaxOrdem from PAGDIVER") + invoiceRows(dm), QStringLiteral("MaxOrdem"));
    const auto* value = std::get_if<qint64>(&greatest);
    return value ? int(*value) : 0;
}

Decimal InstalmentBalance(TDM& dm)
{
    const Value paid = dm.SQLQuery1.single(
        QStringLiteral("Select sum(VALOR) as TOTALPAGO from PAGDIVER") + invoiceRows(dm), QStringLiteral("TOTALPAGO"));
    const Decimal net = field::toDecimal(dm.NFiscal.value(QStringLiteral("VALLIQUIDO"))).rescaled(2);
    return Decimal{net.units - field::toDecimal(paid).rescaled(2).units, 2};
}

QString BalanceText(const Decimal& balance)
{
    return balance.rescaled(2).toString().replace(QLatin1Char('.'), QLatin1Char(',')).rightJustified(kBalanceWidth);
}

void DeleteUndatedInstalments(TDM& dm)
{
    dm.execute(QStringLiteral("delete from PAGDIVER") + invoiceRows(dm) + QStringLiteral(" and DATA is Null"));
}

void DeleteInvoiceInstalments(TDM& dm)
{
    dm.execute(QStringLiteral("delete from PAGDIVER") + invoiceRows(dm));
}

} // namespace instalments
