#include "reports/ReportData.h"

#include "data/AsciiCase.h"
#include "data/SqlText.h"
#include "purchase/DataModule.h"
#include "shell/Dialogs.h"

namespace reports {

// The supplier typed in the header is compared in upper case by the server on both sides: changing
// only A to Z here would leave "Química" (í) unequal to the server's "QUÍMICA", and such an
// invoice without labels.
QString RotulosStatement(const QDate& invoiceDate, const QString& invoiceNumber, const QString& supplier)
{
    return QStringLiteral("Select Componen.DCB, Compras.* from Compras, Componen where upper(Compras.Componente) = "
                          "upper(Componen.Componente) and COMPRAS.DATA = ") +
           sql::dateLiteral(invoiceDate) + QStringLiteral(" AND ") + QStringLiteral("COMPRAS.NOTAFISCAL = ") +
           sql::quoted(invoiceNumber) + QStringLiteral(" AND ") + QStringLiteral("Upper(COMPRAS.FORNECEDOR) = Upper(") +
           sql::quoted(ascii::upper(supplier)) + QStringLiteral(") order by Componente");
}

QString VencimentosStatement(const QDate& start, const QDate& end)
{
    return QStringLiteral("Select Componen.DCB,Compras.* From Compras,Componen where Compras.Validade between ") +
           sql::dateLiteral(start) + QStringLiteral(" and ") + sql::dateLiteral(end) + QStringLiteral(" and ") +
           QStringLiteral("(Compras.componente = Componen.Componente)") +
           QStringLiteral("Order by Validade,Componente");
}

void PrepareRotulos(TDM& dm, const QDate& invoiceDate, const QString& invoiceNumber, const QString& supplier)
{
    dm.qryRotulos.close();
    dm.qryRotulos.setCommandText(RotulosStatement(invoiceDate, invoiceNumber, supplier));
    dm.qryRotulos.open();
}

void OpenPeriodo(TDM& dm)
{
    dm.Periodo.open();
    dm.Periodo.edit(); // on an empty table this appends the row
}

void CancelPeriodo(TDM& dm)
{
    if (dm.Periodo.isOpen())
        dm.Periodo.cancel();
    dm.Periodo.close();
}

bool Calcula_Vencimentos_SQL(TDM& dm)
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

} // namespace reports
