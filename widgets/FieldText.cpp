#include "widgets/FieldText.h"

#include "data/FieldValue.h"
#include "data/Formats.h"

#include <QHash>

#include <optional>

namespace fieldtext {

namespace {

std::optional<Decimal> asDecimal(const Value& value)
{
    if (const auto* d = std::get_if<Decimal>(&value))
        return *d;
    if (const auto* n = std::get_if<qint64>(&value))
        return Decimal{*n, 0};
    if (const auto* f = std::get_if<double>(&value))
        return Decimal::fromDouble(*f, 2);
    return std::nullopt;
}

std::optional<QDate> asDate(const Value& value)
{
    if (const auto* d = std::get_if<QDate>(&value))
        return *d;
    if (const auto* dt = std::get_if<QDateTime>(&value))
        return dt->date();
    return std::nullopt;
}

// A mask whose year has two positions ("!99/99/00") cannot take "dd/mm/yyyy".
bool masksTwoDigitYear(const QString& entryMask)
{
    const QString mask = entryMask.section(QLatin1Char(';'), 0, 0);
    return mask.count(QLatin1Char('/')) == 2 && mask.section(QLatin1Char('/'), 2).size() == 2;
}

} // namespace

QString display(const Value& value, const FieldFormat& format)
{
    switch (format.display) {
    case FieldFormat::Display::Date2:
        if (const auto d = asDate(value))
            return formats::shortDate2(*d);
        break;
    case FieldFormat::Display::Money:
        if (const auto d = asDecimal(value))
            return formats::money(*d);
        break;
    case FieldFormat::Display::Fixed2:
        if (const auto d = asDecimal(value))
            return formats::fixed2(d->toDouble());
        break;
    case FieldFormat::Display::Plain:
        break;
    }
    return field::toText(value);
}

QString edit(const Value& value, const FieldFormat& format)
{
    if (const auto d = asDate(value); d && masksTwoDigitYear(format.entryMask))
        return formats::shortDate2(*d);
    if (format.display == FieldFormat::Display::Money || format.display == FieldFormat::Display::Fixed2)
        if (const auto d = asDecimal(value))
            return formats::fixed2(d->toDouble());
    return field::toText(value);
}

QString qtInputMask(const QString& entryMask)
{
    if (entryMask.isEmpty())
        return {};
    const QStringList parts = entryMask.split(QLatin1Char(';'));
    // Mask positions of the screens and their Qt counterparts. A digit position is always
    // required: a date typed in part is no date.
    static const QHash<QChar, QChar> positions = {
        {QLatin1Char('0'), QLatin1Char('9')}, {QLatin1Char('9'), QLatin1Char('9')},
        {QLatin1Char('#'), QLatin1Char('#')}, {QLatin1Char('L'), QLatin1Char('A')},
        {QLatin1Char('l'), QLatin1Char('a')}, {QLatin1Char('A'), QLatin1Char('N')},
        {QLatin1Char('a'), QLatin1Char('n')}, {QLatin1Char('C'), QLatin1Char('X')},
        {QLatin1Char('c'), QLatin1Char('x')}};
    static const QString qtSpecial = QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\;");
    const QString& source = parts.front();
    QString mask;
    for (qsizetype i = 0; i < source.size(); ++i) {
        QChar c = source[i];
        if (c == QLatin1Char('!') || c == QLatin1Char('>') || c == QLatin1Char('<'))
            continue; // blank trimming and letter case are no positions
        if (c == QLatin1Char('\\') && i + 1 < source.size()) {
            c = source[++i];
        } else if (const auto it = positions.constFind(c); it != positions.constEnd()) {
            mask += *it;
            continue;
        }
        if (qtSpecial.contains(c))
            mask += QLatin1Char('\\');
        mask += c;
    }
    // A two-digit year may be typed with four digits (15/03/2024): two more, optional, positions,
    // so that no digit typed is dropped.
    if (masksTwoDigitYear(entryMask))
        mask += QStringLiteral("00");
    const QChar blank = parts.size() > 2 && !parts[2].isEmpty() ? parts[2].front() : QLatin1Char('_');
    return mask + QLatin1Char(';') + blank;
}

bool isNumeric(ColumnType type)
{
    return type == ColumnType::Integer || type == ColumnType::Decimal || type == ColumnType::Double;
}

} // namespace fieldtext
