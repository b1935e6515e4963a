#include "data/Decimal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

qint64 pow10(int n)
{
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

} // namespace

QString Decimal::toString() const
{
    const bool negative = units < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    QString digits = QString::number(magnitude);
    if (scale > 0) {
        digits = digits.rightJustified(scale + 1, QLatin1Char('0'));
        digits.insert(digits.size() - scale, QLatin1Char('.'));
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

double Decimal::toDouble() const
{
    return double(units) / double(pow10(scale));
}

Decimal Decimal::rescaled(int newScale) const
{
    if (newScale == scale)
        return *this;
    if (newScale > scale)
        return {units * pow10(newScale - scale), newScale};
    const qint64 divisor = pow10(scale - newScale);
    qint64 q = units / divisor;
    const qint64 r = units % divisor;
    if (2 * (r < 0 ? -r : r) >= divisor)
        q += units < 0 ? -1 : 1;
    return {q, newScale};
}

Decimal Decimal::fromDouble(double value, int newScale)
{
    return {qint64(std::llround(value * double(pow10(newScale)))), newScale};
}

std::optional<Decimal> Decimal::parse(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        ++i;
    }
    qint64 units = 0;
    int scale = 0;
    bool seenSeparator = false;
    bool seenDigit = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u'.' || c == u',') {
            if (seenSeparator)
                return std::nullopt;
            seenSeparator = true;
        } else if (c >= u'0' && c <= u'9') {
            if (units > (std::numeric_limits<qint64>::max() - 9) / 10)
                return std::nullopt;
            units = units * 10 + (c.unicode() - u'0');
            seenDigit = true;
            if (seenSeparator)
                ++scale;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    return Decimal{negative ? -units : units, scale};
}

bool operator==(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale, b.scale);
    return a.rescaled(s).units == b.rescaled(s).units;
}

bool operator<(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale, b.scale);
    return a.rescaled(s).units < b.rescaled(s).units;
}

Decimal Decimal::shifted(int exponent) const
{
    if (exponent <= 0)
        return {units, scale - exponent};
    if (exponent <= scale)
        return {units, scale - exponent};
    return {units * pow10(exponent - scale), 0};
}

Decimal operator+(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale, b.scale);
    return {a.rescaled(s).units + b.rescaled(s).units, s};
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale, b.scale);
    return {a.rescaled(s).units - b.rescaled(s).units, s};
}
