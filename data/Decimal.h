#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// An exact decimal number held as a scaled integer: units × 10^-scale.
// DECIMAL(15,2) columns read as Decimal{115, 2} for 1.15, never as a binary fraction.
struct Decimal {
    qint64 units = 0;
    int scale = 0;

    // Text with a point as decimal separator and exactly `scale` decimals ("1.15", "-0.50").
    QString toString() const;
    double toDouble() const;

    // The same value with another number of decimals, rounded half away from zero.
    Decimal rescaled(int newScale) const;

    static Decimal fromDouble(double value, int scale);
    // Parses "123", "-1.5", "1.234,56"-free plain text with a point or a comma as decimal separator.
    static std::optional<Decimal> parse(const QString& text);

    // The value times 10^exponent, exact (2.5 shifted by 3 is 2500; by -3, 0.0025).
    Decimal shifted(int exponent) const;

    friend bool operator==(const Decimal& a, const Decimal& b);
    friend bool operator<(const Decimal& a, const Decimal& b);
    // Exact sums and differences, with the larger scale of the two.
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
};
