#pragma once

#include <QDateTime>
#include <QString>

// The in-use stamp that the product's modules on one workstation share: one line with the date
// and time a module started (or last refreshed it). A module refuses to start while another
// module's stamp is live.
namespace stamp {

// The age of a stamp in the product's own unit: days × 84600 (so slightly less than seconds).
double ageUnits(const QDateTime& stamped, const QDateTime& now);

enum class Verdict { Absent, Stale, Live };
// Absent when there is no file; Stale when older than 40 units or unreadable as a date-time;
// Live otherwise (a stamp dated in the future is live).
Verdict check(const QString& path, const QDateTime& now = QDateTime::currentDateTime());

// Rewrites the stamp with the current date and time (standard date-time text, at most 60 characters).
void write(const QString& path, const QDateTime& now = QDateTime::currentDateTime());

} // namespace stamp

// The activity file: today's date as dd/mm/yy on line 1 and the time as hh:nn:ss on line 2.
void WriteActivityFile(const QString& path, const QDateTime& now = QDateTime::currentDateTime());
