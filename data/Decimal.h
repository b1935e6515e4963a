#pragma once

#include "data/DbError.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// A result too large for an exact decimal (18 significant digits, the largest the database's
// DECIMAL columns hold). Computing with such values would wrap around silently; the message names
// the value.
class DecimalOverflow : public ConversionError {
public:
    explicit DecimalOverflow(const QString& value);
};

// An exact decimal number held as a scaled integer: units × 10^-scale.
// DECIMAL(15,2) columns read as Decimal{115, 2} for 1.15, never as a binary fraction.
// Every operation that could leave 18 digits throws DecimalOverflow instead.
struct Decimal {
    static constexpr int kMaxDigits = 18;

    qint64 units = 0;
    int scale = 0;

    // Text with a point as decimal separator and exactly `scale` decimals ("1.15", "-0.50").
    QString toString() const;
    double toDouble() const;

    // The same value with another number of decimals, rounded half away from zero.
    Decimal rescaled(int newScale) const;
    // Whether the value, at `scale` decimals, fits `precision` digits (a DECIMAL(precision, scale)).
    bool fits(int precision, int scale) const;

    static Decimal fromDouble(double value, int scale);
    // Parses "123", "-1.5", "1.234,56"-free plain text with a point or a comma as decimal separator.
    static std::optional<Decimal> parse(const QString& text);
    // a × b with `scale` decimals, rounded half away from zero.
    static Decimal product(const Decimal& a, const Decimal& b, int scale);

    // The value times 10^exponent, exact (2.5 shifted by 3 is 2500; by -3, 0.0025).
    Decimal shifted(int exponent) const;

    friend bool operator==(const Decimal& a, const Decimal& b);
    friend bool operator<(const Decimal& a, const Decimal& b);
    // Exact sums and differences, with the larger scale of the two.
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
};
