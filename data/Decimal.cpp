#include "data/Decimal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

__extension__ typedef __int128 Wide;

// Beyond this a Wide scaled up once more could itself overflow; such a value never fits anyway.
constexpr Wide kWideLimit = Wide(std::numeric_limits<qint64>::max()) * Wide(1000000000000000000LL);

Wide pow10(int n)
{
    Wide p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

Wide magnitude(Wide w)
{
    return w < 0 ? -w : w;
}

QString wideText(Wide w)
{
    if (w == 0)
        return QStringLiteral("0");
    QString digits;
    for (Wide m = magnitude(w); m > 0; m /= 10)
        digits.prepend(QChar(u'0' + int(m % 10)));
    return w < 0 ? QLatin1Char('-') + digits : digits;
}

// The value units × 10^-scale as text, for messages.
QString valueText(Wide units, int scale)
{
    QString digits = wideText(magnitude(units));
    if (scale > 0) {
        digits = digits.rightJustified(scale + 1, QLatin1Char('0'));
        digits.insert(digits.size() - scale, QLatin1Char('.'));
    }
    return units < 0 ? QLatin1Char('-') + digits : digits;
}

// units × 10^-scale with `steps` more decimals.
Wide scaledUp(Wide units, int steps, int scale)
{
    for (int i = 0; i < steps; ++i) {
        if (magnitude(units) > kWideLimit)
            throw DecimalOverflow(valueText(units, scale + i));
        units *= 10;
    }
    return units;
}

// units × 10^-scale at `newScale` decimals, rounded half away from zero, still wide.
Wide rescaledWide(Wide units, int scale, int newScale)
{
    if (newScale >= scale)
        return scaledUp(units, newScale - scale, scale);
    const Wide divisor = pow10(std::min(scale - newScale, 38));
    const Wide q = magnitude(units) / divisor;
    const Wide r = magnitude(units) % divisor;
    const Wide rounded = 2 * r >= divisor ? q + 1 : q;
    return units < 0 ? -rounded : rounded;
}

Decimal narrowed(Wide units, int scale)
{
    if (units > std::numeric_limits<qint64>::max() || units < -Wide(std::numeric_limits<qint64>::max()))
        throw DecimalOverflow(valueText(units, scale));
    return Decimal{qint64(units), scale};
}

// Both values at the larger scale of the two, wide.
std::pair<Wide, Wide> aligned(const Decimal& a, const Decimal& b, int scale)
{
    return {rescaledWide(a.units, a.scale, scale), rescaledWide(b.units, b.scale, scale)};
}

} // namespace

DecimalOverflow::DecimalOverflow(const QString& value)
    : ConversionError(QStringLiteral("O valor %1 é grande demais: um número exato tem no máximo %2 dígitos.")
                          .arg(value)
                          .arg(Decimal::kMaxDigits))
{
}

QString Decimal::toString() const
{
    return valueText(units, scale);
}

double Decimal::toDouble() const
{
    return double(units) / double(pow10(scale));
}

Decimal Decimal::rescaled(int newScale) const
{
    if (newScale == scale)
        return *this;
    return narrowed(rescaledWide(units, scale, newScale), newScale);
}

bool Decimal::fits(int precision, int columnScale) const
{
    return magnitude(rescaledWide(units, scale, columnScale)) < pow10(precision);
}

Decimal Decimal::fromDouble(double value, int newScale)
{
    const double scaled = std::round(value * double(pow10(newScale)));
    // 2^63 is the first double past the largest qint64.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9223372036854775808.0)
        throw DecimalOverflow(QString::number(value, 'f', newScale));
    return {qint64(scaled), newScale};
}

Decimal Decimal::product(const Decimal& a, const Decimal& b, int newScale)
{
    const Wide ua = a.units, ub = b.units;
    // Two qint64 factors make at most 126 bits: the product itself cannot overflow a Wide.
    return narrowed(rescaledWide(ua * ub, a.scale + b.scale, newScale), newScale);
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
    const auto [wa, wb] = aligned(a, b, std::max(a.scale, b.scale));
    return wa == wb;
}

bool operator<(const Decimal& a, const Decimal& b)
{
    const auto [wa, wb] = aligned(a, b, std::max(a.scale, b.scale));
    return wa < wb;
}

Decimal Decimal::shifted(int exponent) const
{
    if (exponent <= scale)
        return {units, scale - exponent};
    const int steps = exponent - scale;
    if (units != 0 && steps > kMaxDigits + 1)
        throw DecimalOverflow(toString() + QStringLiteral(" × 10^") + QString::number(exponent));
    return narrowed(Wide(units) * pow10(std::min(steps, kMaxDigits + 1)), 0);
}

Decimal operator+(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale, b.scale);
    const auto [wa, wb] = aligned(a, b, s);
    return narrowed(wa + wb, s);
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    const int s = std::max(a.scale, b.scale);
    const auto [wa, wb] = aligned(a, b, s);
    return narrowed(wa - wb, s);
}
