#include "shell/LocalSettings.h"

#include "data/Win1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <functional>
#include <limits>

namespace {

// Fixed columns of a settings line: characters 1-48 the label, 50-109 the value.
constexpr qsizetype kLabelLength = 48;
constexpr qsizetype kValueStart = 49;
constexpr qsizetype kValueLength = 60;
constexpr qsizetype kProgramFolderLength = 60;

// Removes leading and trailing blanks; tabs and other characters stay.
QString trimmedOfBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

// A whole number in decimal: an optional sign and digits only, within 32 bits.
bool parseWholeNumber(const QString& text, qint32& out)
{
    const qsizetype digitsFrom = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (text.size() == digitsFrom)
        return false;
    for (qsizetype i = digitsFrom; i < text.size(); ++i)
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return false;
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok, 10);
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        return false;
    out = qint32(n);
    return true;
}

// Splits at CR LF, LF or a lone CR, as a line reader of text files does.
QStringList linesOf(const QString& text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = unified.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A control character (a tab typed into the file) never reaches a text setting. A number keeps
// it, and is refused for it.
QString withoutControls(QString text)
{
    static const QRegularExpression controls(QStringLiteral("[\\x00-\\x1f]"));
    return text.remove(controls);
}

struct Setting {
    QLatin1String label;
    // Stores the value; false when the value cannot be converted (reading then stops).
    std::function<bool(const QString& value, LocalSettings& s)> store;
};

const std::vector<Setting>& settingsTable()
{
    static const std::vector<Setting> table = {
        {QLatin1String("IP DO SERVIDOR CENTRAL.........................:"),
         [](const QString& v, LocalSettings& s) {
             s.ServerAddress = withoutControls(v).left(60);
             return true;
         }},
        {QLatin1String("COR DE FUNDO DAS TELAS.........................:"),
         [](const QString& v, LocalSettings& s) { return parseWholeNumber(v, s.WindowColour); }},
        {QLatin1String("LABORATORIO PADRAO.............................:"),
         [](const QString& v, LocalSettings& s) {
             s.DefaultStockLocation = withoutControls(v).left(30);
             return true;
         }},
        {QLatin1String("ATUALIZAR PRECO AUTOMATICAM. AO CADASTRAR A NF.:"),
         [](const QString& v, LocalSettings& s) {
             s.AutoPriceUpdate = withoutControls(v).left(30);
             return true;
         }},
        {QLatin1String("PASTA DE ENTRADA DAS NF-E......................:"),
         [](const QString& v, LocalSettings& s) {
             s.NfeInboxFolder = withoutControls(v).left(60);
             return true;
         }},
    };
    return table;
}

} // namespace

QString ProgramFolderOf(const QString& executableFolder)
{
    QString folder = QDir::toNativeSeparators(executableFolder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder.left(kProgramFolderLength);
}

namespace {

// A file saved as UTF-8 (with or without its byte-order mark) is told from a Windows-1252 one by
// its bytes: Windows-1252 text with accented letters is almost never valid UTF-8. Plain ASCII
// reads the same either way.
QString decodeSettingsFile(const QByteArray& bytes)
{
    static const QByteArray byteOrderMark("\xEF\xBB\xBF");
    const bool marked = bytes.startsWith(byteOrderMark);
    const QByteArray body = marked ? bytes.mid(byteOrderMark.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return win1252::decode(bytes);
}

} // namespace

void ApplySettingsLines(const QByteArray& fileContents, LocalSettingsResult& result)
{
    for (const QString& line : linesOf(decodeSettingsFile(fileContents))) {
        if (line.size() < kLabelLength)
            continue;
        const QString label = line.left(kLabelLength);
        const QString value = trimmedOfBlanks(line.mid(kValueStart, kValueLength));
        for (const Setting& setting : settingsTable()) {
            if (label != setting.label)
                continue;
            if (!setting.store(value, result.settings)) {
                result.outcome = LocalSettingsResult::Outcome::ConversionError;
                result.error = QStringLiteral("'%1' não é um valor inteiro válido").arg(value);
                return;
            }
        }
    }
}

LocalSettingsResult ReadLocalSettingsFrom(const QString& executableFolder)
{
    LocalSettingsResult result;
    result.settings.ProgramFolder = ProgramFolderOf(executableFolder);
    QFile file(result.settings.ProgramFolder + kSettingsFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        result.outcome = LocalSettingsResult::Outcome::FileMissing;
        return result;
    }
    ApplySettingsLines(file.readAll(), result);
    return result;
}

LocalSettingsResult ReadLocalSettings()
{
    return ReadLocalSettingsFrom(QCoreApplication::applicationDirPath());
}
