#pragma once

#include "data/DbError.h"
#include "data/RowLayout.h"
#include "data/Value.h"

#include <QDateTime>
#include <QString>

// A number too large for its column: the message names the column and the value.
class ValueOutOfRange : public ConversionError {
public:
    ValueOutOfRange(const QString& value, const Column& column);
};

// How a field's value reads as text, integer, floating-point number or date-time, and how a value
// written into a field becomes the column's own type. Shared by the cached datasets and the
// command object, so that both read a field the same way.
namespace field {

// NULL reads "", a date "dd/mm/yyyy", a time "hh:mm:ss", a timestamp "dd/mm/yyyy hh:mm:ss" (the
// date alone at midnight), numbers with a decimal comma and no thousands separator ("1234,5").
QString toText(const Value& value);
// NULL reads 0; a text must hold an integer (ConversionError otherwise); decimals are rounded.
qint64 toInteger(const Value& value);
// NULL reads 0; a text must hold a number (ConversionError otherwise); a date counts its days
// from 30/12/1899, as date-time numbers do on the workstation.
double toFloat(const Value& value);
// NULL, a text and a date read 0; an integer exactly; a floating-point number to eight decimals.
Decimal toDecimal(const Value& value);
// NULL reads the zero date, 30/12/1899 00:00; a text must hold a date (ConversionError otherwise).
QDateTime toDateTime(const Value& value);

// The digits a Decimal column holds.
int precisionOf(const Column& column);

// The value converted to the column's type. An empty text (or one holding no digit, like an
// unfilled date mask) becomes NULL; a text longer than a text column is cut to its width; a text
// the database cannot store throws EncodingError; one that does not convert throws ConversionError,
// and a number too large for the column ValueOutOfRange.
Value forColumn(const Value& value, const Column& column);

// The zero date of the workstation's date-time numbers.
QDateTime zeroDateTime();

} // namespace field
