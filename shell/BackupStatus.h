#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// What the last backup of the product folder's databases left behind (ULTBACKUP.TXT in the product
// folder), written by korvanis-admin and read by the window at login, which warns once a day
// (AVISOBACKUP.TXT keeps the day it last did) when the newest backup is too old or the last one failed.
namespace backupstatus {

constexpr int kMaxAgeDays = 7;

struct Record {
    QDateTime attempted;
    bool succeeded = false;
    QDateTime lastSuccess; // invalid when no backup has succeeded yet
    QString folder;
    QString error; // why the last attempt failed, on one line
};

QString recordFile();
QString warnedFile();

// Nullopt when no backup was ever tried here (or the file cannot be read).
std::optional<Record> read();
void recordSuccess(const QString& folder, const QDateTime& when);
// Keeps the time of the last success that the record held.
void recordFailure(const QString& folder, const QString& error, const QDateTime& when);

// The warning the record calls for at `now`, or an empty text.
QString warningFor(const std::optional<Record>& record, const QDateTime& now);

// The warning to show at this login: empty when none is due or one was shown today already;
// otherwise the day is noted, so the next login of the same day stays quiet.
QString takeDailyWarning(const QDateTime& now);

} // namespace backupstatus
