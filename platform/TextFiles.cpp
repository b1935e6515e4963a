#include "platform/TextFiles.h"

#include "data/Win1252.h"

#include <QFile>

namespace textfile {

namespace {

QByteArray encodeLines(const QStringList& lines, const QString& lineEnd)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        const QString full = line + lineEnd;
        // A character without a Windows-1252 byte is written as '?' rather than lost with the file.
        QString safe = full;
        for (QChar& c : safe)
            if (!win1252::canEncode(QString(c)))
                c = u'?';
        bytes += win1252::encode(safe);
    }
    return bytes;
}

void write(const QString& path, const QStringList& lines, const QString& lineEnd, QIODevice::OpenMode mode)
{
    QFile file(path);
    if (!file.open(mode))
        throw FileError(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = encodeLines(lines, lineEnd);
    if (file.write(bytes) != bytes.size())
        throw FileError(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path, file.errorString()));
}

} // namespace

QString readFirstLine(const QString& path, int maxChars, bool* ok)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return {};
    }
    if (ok)
        *ok = true;
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return win1252::decode(line).left(maxChars);
}

void writeLines(const QString& path, const QStringList& lines, const QString& lineEnd)
{
    write(path, lines, lineEnd, QIODevice::WriteOnly | QIODevice::Truncate);
}

void appendLines(const QString& path, const QStringList& lines, const QString& lineEnd)
{
    write(path, lines, lineEnd, QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace textfile
