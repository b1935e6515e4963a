#include "shell/BackupStatus.h"

#include "data/Formats.h"
#include "data/Win1252.h"
#include "platform/ProductFolder.h"
#include "platform/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace backupstatus {

namespace {

const QString kResult = QStringLiteral("RESULTADO");
const QString kAttempted = QStringLiteral("TENTATIVA");
const QString kLastSuccess = QStringLiteral("ULTIMO BACKUP");
const QString kFolder = QStringLiteral("PASTA");
const QString kError = QStringLiteral("ERRO");
const QString kSucceeded = QStringLiteral("OK");
const QString kFailed = QStringLiteral("FALHOU");

QString inProductFolder(const QString& name)
{
    return QDir(productfolder::path()).filePath(name);
}

QString oneLine(const QString& text)
{
    return text.simplified();
}

QDateTime dateTimeOf(const QString& text)
{
    return formats::parseDateTime(text).value_or(QDateTime());
}

QString textOf(const QDateTime& when)
{
    return when.isValid() ? formats::dateTimeText(when) : QString();
}

void write(const Record& record)
{
    textfile::writeLines(recordFile(), {kResult + QLatin1Char('=') + (record.succeeded ? kSucceeded : kFailed),
                                        kAttempted + QLatin1Char('=') + textOf(record.attempted),
                                        kLastSuccess + QLatin1Char('=') + textOf(record.lastSuccess),
                                        kFolder + QLatin1Char('=') + oneLine(record.folder),
                                        kError + QLatin1Char('=') + oneLine(record.error)});
}

QString adviceFor(const QString& folder)
{
    return QStringLiteral("\rPasta dos backups: ") + QDir::toNativeSeparators(folder) +
           QStringLiteral("\rFaça um backup agora com \"korvanis-admin backup\" ou peça ajuda ao suporte técnico.");
}

} // namespace

QString recordFile()
{
    return inProductFolder(QStringLiteral("ULTBACKUP.TXT"));
}

QString warnedFile()
{
    return inProductFolder(QStringLiteral("AVISOBACKUP.TXT"));
}

std::optional<Record> read()
{
    QFile file(recordFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QHash<QString, QString> values;
    while (!file.atEnd()) {
        const QString line = win1252::decode(file.readLine()).trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    Record record;
    record.succeeded = values.value(kResult) == kSucceeded;
    record.attempted = dateTimeOf(values.value(kAttempted));
    record.lastSuccess = dateTimeOf(values.value(kLastSuccess));
    record.folder = values.value(kFolder);
    record.error = values.value(kError);
    if (!record.attempted.isValid())
        return std::nullopt;
    return record;
}

void recordSuccess(const QString& folder, const QDateTime& when)
{
    write({when, true, when, folder, {}});
}

void recordFailure(const QString& folder, const QString& error, const QDateTime& when)
{
    const std::optional<Record> previous = read();
    write({when, false, previous ? previous->lastSuccess : QDateTime(), folder, error});
}

QString warningFor(const std::optional<Record>& record, const QDateTime& now)
{
    if (!record)
        return {};
    if (!record->succeeded)
        return QStringLiteral("Atenção: o último backup dos bancos de dados, em ") + textOf(record->attempted) +
               QStringLiteral(", falhou:\r") + record->error + adviceFor(record->folder);
    const qint64 days = record->lastSuccess.daysTo(now);
    if (days <= kMaxAgeDays)
        return {};
    return QStringLiteral("Atenção: o backup mais recente dos bancos de dados é de ") +
           formats::shortDate(record->lastSuccess.date()) + QStringLiteral(", há ") + QString::number(days) +
           QStringLiteral(" dias.") + adviceFor(record->folder);
}

QString takeDailyWarning(const QDateTime& now)
{
    const QString warning = warningFor(read(), now);
    if (warning.isEmpty())
        return {};
    if (formats::parseDate(textfile::readFirstLine(warnedFile(), 10)) == now.date())
        return {};
    try {
        textfile::writeLines(warnedFile(), {formats::shortDate(now.date())});
    } catch (const FileError&) {
        // A folder that cannot note the day still gets the warning, at every login then.
    }
    return warning;
}

} // namespace backupstatus
