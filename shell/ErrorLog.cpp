#include "shell/ErrorLog.h"

#include "data/Formats.h"
#include "platform/TextFiles.h"

#include <QRegularExpression>

void AppendErrorLog(const QString& path, const QString& user, const QString& workstation, const QString& error,
                    const QDateTime& now)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
    QString text = error.trimmed();
    text.replace(lineBreaks, QStringLiteral(" / "));
    const QString line = formats::dateTimeText(now) + QStringLiteral(" | Usuário: ") + user +
                         QStringLiteral(" | Estação: ") + workstation + QStringLiteral(" | ") + text;
    textfile::appendLines(path, {line});
}
