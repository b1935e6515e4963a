#include "data/Formats.h"

#include <QRegularExpression>

namespace formats {

QString shortDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString shortDate2(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yy"));
}

QString longTime(const QTime& time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
}

QString dateTimeText(const QDateTime& dateTime)
{
    return shortDate(dateTime.date()) + QLatin1Char(' ') + longTime(dateTime.time());
}

int expandYear(int twoDigitYear, int currentYear)
{
    int year = currentYear / 100 * 100 + twoDigitYear;
    if (year > currentYear + 50)
        year -= 100;
    else if (year <= currentYear - 50)
        year += 100;
    return year;
}

bool isTypedYear(const QDate& date)
{
    return date.year() >= kFirstTypedYear && date.year() <= kLastTypedYear;
}

std::optional<QDate> parseDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year = expandYear(year);
    const QDate d(year, m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QDateTime> parseDateTime(const QString& text)
{
    const QString t = text.trimmed();
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    const auto date = parseDate(blank < 0 ? t : t.left(blank));
    if (!date)
        return std::nullopt;
    if (blank < 0)
        return QDateTime(*date, QTime(0, 0));
    const QString timeText = t.mid(blank + 1).trimmed();
    QTime time = QTime::fromString(timeText, QStringLiteral("H:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(timeText, QStringLiteral("H:mm"));
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(*date, time);
}

namespace {

QString groupThousands(const QString& plain)
{
    // plain is "-1234.56": integer digits grouped with dots, decimal comma.
    const bool negative = plain.startsWith(QLatin1Char('-'));
    QString digits = negative ? plain.mid(1) : plain;
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? digits : digits.left(point);
    const QString decimals = point < 0 ? QString() : digits.mid(point + 1);
    for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
        integer.insert(i, QLatin1Char('.'));
    QString out = negative ? QLatin1Char('-') + integer : integer;
    if (!decimals.isEmpty())
        out += QLatin1Char(',') + decimals;
    return out;
}

} // namespace

QString money(const Decimal& value)
{
    return groupThousands(value.rescaled(2).toString());
}

QString money(double value)
{
    return money(Decimal::fromDouble(value, 2));
}

QString fixed2(double value)
{
    return Decimal::fromDouble(value, 2).toString().replace(QLatin1Char('.'), QLatin1Char(','));
}

std::optional<double> parseNumber(const QString& text)
{
    QString t = text.trimmed();
    // "1.234" and "12.345.678" are grouped thousands, as written in Brazil; "1.5" is a decimal.
    static const QRegularExpression grouped(QStringLiteral("^[-+]?[1-9]\\d{0,2}(\\.\\d{3})+$"));
    if (grouped.match(t).hasMatch())
        t.remove(QLatin1Char('.'));
    if (t.contains(QLatin1Char(','))) {
        t.remove(QLatin1Char('.'));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    const auto d = Decimal::parse(t);
    if (!d)
        return std::nullopt;
    return d->toDouble();
}

} // namespace formats
