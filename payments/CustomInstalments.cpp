#include "payments/CustomInstalments.h"

#include "data/CachedDataset.h"
#include "data/FieldValue.h"
#include "data/SqlText.h"

namespace instalments {

namespace {

constexpr int kBalanceWidth = 9;

QString invoiceNumber(const PaymentsData& dm)
{
    return dm.NFiscal.asText(QStringLiteral("NOTAFISCAL"));
}

QString supplierName(const PaymentsData& dm)
{
    return dm.NFiscal.asText(QStringLiteral("FORNECEDOR"));
}

QString invoiceRows(const PaymentsData& dm)
{
    return QStringLiteral(" where NFISCAL = ") + sql::quoted(invoiceNumber(dm)) + QStringLiteral(" and FORNECEDOR = ") +
           sql::quoted(supplierName(dm));
}

} // namespace

int OpenInvoiceInstalments(PaymentsData dm)
{
    CachedDataset& rows = dm.PagDiver;
    rows.close();
    rows.setCommandText(
        QStringLiteral("select CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, PERCENTUAL, VALORTOTAL from "
                       "PAGDIVER") +
        invoiceRows(dm) + QStringLiteral(" order by ORDEM"));
    rows.open();
    const Value greatest = dm.command().single(
        QStringLiteral("Select Max(ORDEM) as MaxOrdem from PAGDIVER") + invoiceRows(dm), QStringLiteral("MaxOrdem"));
    const auto* value = std::get_if<qint64>(&greatest);
    return value ? int(*value) : 0;
}

Decimal InstalmentBalance(PaymentsData dm)
{
    const Value paid = dm.command().single(
        QStringLiteral("Select sum(VALOR) as TOTALPAGO from PAGDIVER") + invoiceRows(dm), QStringLiteral("TOTALPAGO"));
    const Decimal net = field::toDecimal(dm.NFiscal.value(QStringLiteral("VALLIQUIDO"))).rescaled(2);
    return Decimal{net.units - field::toDecimal(paid).rescaled(2).units, 2};
}

QString InstalmentRefusal(PaymentsData dm)
{
    const CachedDataset& instalment = dm.PagDiver;
    if (instalment.isNull(QStringLiteral("DATA")))
        return QStringLiteral("Informe a data de vencimento da parcela.");
    const Decimal amount = field::toDecimal(instalment.value(QStringLiteral("VALOR"))).rescaled(2);
    if (amount.units <= 0)
        return QStringLiteral("O valor da parcela deve ser maior que zero.");
    QString others = QStringLiteral("Select sum(VALOR) as OUTRAS from PAGDIVER") + invoiceRows(dm);
    if (!instalment.isNull(QStringLiteral("CODPAGDIVER")))
        others += QStringLiteral(" and CODPAGDIVER <> ") +
                  QString::number(instalment.asInteger(QStringLiteral("CODPAGDIVER")));
    const Decimal othersTotal = field::toDecimal(dm.command().single(others, QStringLiteral("OUTRAS"))).rescaled(2);
    const Decimal net = field::toDecimal(dm.NFiscal.value(QStringLiteral("VALLIQUIDO"))).rescaled(2);
    if (othersTotal.units + amount.units > net.units)
        return kInstalmentsAboveNetValue;
    return {};
}

bool DueBeforeIssue(PaymentsData dm)
{
    const QString due = QStringLiteral("DATA");
    return !dm.PagDiver.isNull(due) && !dm.NFiscal.isNull(due) && dm.PagDiver.asDate(due) < dm.NFiscal.asDate(due);
}

QString BalanceText(const Decimal& balance)
{
    return balance.rescaled(2).toString().replace(QLatin1Char('.'), QLatin1Char(',')).rightJustified(kBalanceWidth);
}

void DeleteUndatedInstalments(PaymentsData dm)
{
    dm.SQLConnection1.execute(QStringLiteral("delete from PAGDIVER") + invoiceRows(dm) +
                              QStringLiteral(" and DATA is Null"));
}

void DeleteInvoiceInstalments(PaymentsData dm)
{
    dm.SQLConnection1.execute(QStringLiteral("delete from PAGDIVER") + invoiceRows(dm));
}

} // namespace instalments
