#pragma once

#include "data/Decimal.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// The workstation's Brazilian formats: dates day first, decimal comma and thousands dot on screen.
// The one place where dates and numbers become text for people and back.
namespace formats {

// "dd/mm/yyyy", the workstation's short date.
QString shortDate(const QDate& date);
// "dd/mm/yy", the display format of dates in the screens and files.
QString shortDate2(const QDate& date);
// "hh:nn:ss".
QString longTime(const QTime& time);
// Short date, a blank, long time: the standard date-time text.
QString dateTimeText(const QDateTime& dateTime);

// A two-digit year placed in the 50-year window around the current year, as the server does.
int expandYear(int twoDigitYear, int currentYear = QDate::currentDate().year());
// The years a date typed by the clerk may have: a year past them is a typing error (2206, 9999).
constexpr int kFirstTypedYear = 1900;
constexpr int kLastTypedYear = 2100;
bool isTypedYear(const QDate& date);

// Reads "dd/mm/yy" or "dd/mm/yyyy" (one-digit day and month accepted); nullopt when not a date.
std::optional<QDate> parseDate(const QString& text);
// Reads the standard date-time text ("dd/mm/yyyy hh:nn:ss", seconds optional).
std::optional<QDateTime> parseDateTime(const QString& text);

// "#,###,##0.00": 1.234,56 (also serves "##,##0.00").
QString money(double value);
QString money(const Decimal& value);
// "0.00" on screen: 1234,56.
QString fixed2(double value);
// Reads a number typed the Brazilian way ("1.234,56", "1234,56", "1.234", "12"); a point that does
// not group thousands counts as the decimal separator ("1.5"). nullopt when not a number.
std::optional<double> parseNumber(const QString& text);

} // namespace formats
