#pragma once

#include "data/Decimal.h"

#include <QDate>
#include <QString>

// Pieces of SQL text composed at run time. Every text value placed between single quotes goes
// through `quoted`, so that a name like D'Ávila is stored as typed and no typed text can change a
// statement.
namespace sql {

// 'text' with every apostrophe doubled.
QString quoted(const QString& text);
// The inside of a quoted literal, without the surrounding quotes.
QString escaped(QString text);
// A date as the literal 'mm/dd/yyyy' (month, day, the whole year), quotes included: a two-digit
// year would be placed by the server in its 50-year window, and 2099 would come back as 1999.
QString dateLiteral(const QDate& date);
// A number with a point and the given decimals ("1234.50"), as money and quantities are written.
QString number(double value, int decimals = 2);
QString number(const Decimal& value, int decimals = 2);

} // namespace sql
