#include "reports/ReportData.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/Formats.h"
#include "data/SqlText.h"
#include "shell/Dialogs.h"

namespace reports {

namespace {

// Every item with the DCB of its product, found by the item's product code. Items that NF-e imports
// of earlier versions wrote with the bar code in CODIGO take the DCB of the product recognised by
// that bar code (its DCB is the bar code). An item whose product is not found keeps its row, with
// an empty DCB.
const QString kItemsWithDcb = QStringLiteral(
    "Select case when Componen.CODIGO is null then (select first 1 B.DCB from Componen B where B.DCB = "
    "Compras.CODIGO) else Componen.DCB end as DCB, Compras.* from Compras left join Componen on Componen.CODIGO = "
    "Compras.CODIGO where ");

} // namespace

// The supplier typed in the header is compared in upper case by the server on both sides: changing
// only A to Z here would leave "Química" (í) unequal to the server's "QUÍMICA", and such an
// invoice without labels.
QString RotulosStatement(const QDate& invoiceDate, const QString& invoiceNumber, const QString& supplier)
{
    return kItemsWithDcb + QStringLiteral("COMPRAS.DATA = ") + sql::dateLiteral(invoiceDate) + QStringLiteral(" AND ") +
           QStringLiteral("COMPRAS.NOTAFISCAL = ") + sql::quoted(invoiceNumber) + QStringLiteral(" AND ") +
           QStringLiteral("Upper(COMPRAS.FORNECEDOR) = Upper(") + sql::quoted(ascii::upper(supplier)) +
           QStringLiteral(") order by Compras.Componente");
}

QString VencimentosStatement(const QDate& start, const QDate& end)
{
    return kItemsWithDcb + QStringLiteral("Compras.Validade between ") + sql::dateLiteral(start) +
           QStringLiteral(" and ") + sql::dateLiteral(end) +
           QStringLiteral(" Order by Compras.Validade, Compras.Componente, Compras.Lote");
}

void PrepareRotulos(ReportDatasets dm, const QDate& invoiceDate, const QString& invoiceNumber, const QString& supplier)
{
    dm.qryRotulos.close();
    dm.qryRotulos.setCommandText(RotulosStatement(invoiceDate, invoiceNumber, supplier));
    dm.qryRotulos.open();
}

void OpenPeriodo(ReportDatasets dm)
{
    dm.Periodo.open();
    dm.Periodo.edit(); // on an empty table this appends the row
}

void CancelPeriodo(ReportDatasets dm)
{
    if (dm.Periodo.isOpen())
        dm.Periodo.cancel();
    dm.Periodo.close();
}

bool Calcula_Vencimentos_SQL(ReportDatasets dm)
{
    dm.Periodo.updateRecord();
    if (dm.Periodo.isNull(QStringLiteral("DATAINICIAL")) || dm.Periodo.isNull(QStringLiteral("DATAFINAL"))) {
        ShowMessage(QStringLiteral("Informe a data inicial e a data final do período."));
        return false;
    }
    dm.Periodo.post();
    const QDate start = dm.Periodo.asDate(QStringLiteral("DATAINICIAL"));
    const QDate end = dm.Periodo.asDate(QStringLiteral("DATAFINAL"));
    dm.Periodo.close();
    dm.qryVencimentos.close();
    dm.qryVencimentos.setCommandText(VencimentosStatement(start, end));
    dm.qryVencimentos.open();
    return true;
}

void markExpiredLots(ReportRows& rows, const QDate& printDate)
{
    for (ReportRow& row : rows) {
        const std::optional<QDate> expiry = formats::parseDate(row.value(QStringLiteral("VALIDADE")));
        if (expiry && *expiry < printDate)
            row.insert(kVencido, kVencido);
    }
}

} // namespace reports
