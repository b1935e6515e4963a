#include "closing/StockEntryLog.h"

#include "data/Formats.h"
#include "platform/TextFiles.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kRecordEnd = QStringLiteral("   ");

// Data/Hora: the date with two-digit year, a blank and the time.
QString stamp(const QDateTime& now)
{
    return formats::shortDate2(now.date()) + QLatin1Char(' ') + formats::longTime(now.time());
}

QString dateText(const QDate& date)
{
    return date.isValid() ? formats::shortDate(date) : QString();
}

// "0.000" with the workstation's decimal comma: 2000,000.
QString quantityText(const Decimal& quantity)
{
    return quantity.rescaled(3).toString().replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

const QString StockEntryLog::kHeaderLine =
    QStringLiteral("Historico de Inclusoes na tabela ESTLOTE do banco de dados Firebird");

StockEntryLog::StockEntryLog(QString path) : path_(std::move(path)) {}

void StockEntryLog::prepare() const
{
    if (!QFileInfo::exists(path_)) {
        textfile::writeLines(path_, {kHeaderLine});
        return;
    }
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw FileError(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path_, file.errorString()));
}

void StockEntryLog::append(const QStringList& lines) const
{
    textfile::appendLines(path_, lines);
}

QStringList StockEntryLog::NewLotRecord(const Entry& e, const QDateTime& now)
{
    return {QStringLiteral("INCLUSAO DE NOVO REGISTRO NA TABELA ESTLOTE:"),
            QStringLiteral("   Data/Hora: ") + stamp(now),
            QStringLiteral("   Codigo...: ") + e.lotProductCode,
            QStringLiteral("   Descricao: ") + e.description,
            QStringLiteral("   Lote.....: ") + e.lot,
            QStringLiteral("   Fornec...: ") + e.supplier,
            QStringLiteral("   Validade.: ") + dateText(e.expiry),
            QStringLiteral("   Local....: ") + e.location,
            QStringLiteral("   N. Fiscal: ") + e.invoiceNumber,
            kRecordEnd};
}

QStringList StockEntryLog::StockEntryRecord(const Entry& e, const QDateTime& now)
{
    return {QStringLiteral("FOI FEITA A SEGUINTE ENTRADA NO ESTOQUE:"),
            QStringLiteral("   Data/Hora.: ") + stamp(now),
            QStringLiteral("   Codigo....: ") + e.lotProductCode,
            QStringLiteral("   Descricao.: ") + e.description,
            QStringLiteral("   Lote......: ") + e.lot,
            QStringLiteral("   Fornecedor: ") + e.supplier,
            QStringLiteral("   Validade..: ") + dateText(e.expiry),
            QStringLiteral("   Local.....: ") + e.location,
            QStringLiteral("   Saldo Corr: ") + quantityText(e.quantity) + QLatin1Char(' ') + e.lotUnit,
            QStringLiteral("   N. Fiscal.: ") + e.invoiceNumber,
            kRecordEnd};
}
