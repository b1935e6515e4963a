#include "shell/InUseStamp.h"

#include "data/Formats.h"
#include "platform/TextFiles.h"

#include <QFileInfo>

namespace stamp {

namespace {
constexpr double kUnitsPerDay = 84600.0;
constexpr double kLiveUnits = 40.0;
constexpr int kMaxChars = 60;
} // namespace

double ageUnits(const QDateTime& stamped, const QDateTime& now)
{
    return double(stamped.msecsTo(now)) / 86400000.0 * kUnitsPerDay;
}

Verdict check(const QString& path, const QDateTime& now)
{
    if (!QFileInfo::exists(path))
        return Verdict::Absent;
    bool ok = false;
    const QString line = textfile::readFirstLine(path, kMaxChars, &ok);
    const auto stamped = formats::parseDateTime(line);
    if (!ok || !stamped)
        return Verdict::Stale;
    return ageUnits(*stamped, now) > kLiveUnits ? Verdict::Stale : Verdict::Live;
}

void write(const QString& path, const QDateTime& now)
{
    textfile::writeLines(path, {formats::dateTimeText(now).left(kMaxChars)});
}

} // namespace stamp

void WriteActivityFile(const QString& path, const QDateTime& now)
{
    textfile::writeLines(path, {formats::shortDate2(now.date()), formats::longTime(now.time())});
}
