#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <ctime>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// Small tools of the benchmark: timing, resident memory, and the printed lines.
namespace bench {

// Milliseconds one run of `work` takes.
inline double millis(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

// Milliseconds of processor time (user and system) of the calling thread during one run of
// `work`: less disturbed than the wall clock by other programs sharing the machine, and free of
// the database engine's background threads (garbage collection of earlier runs' versions).
inline double cpuMillis(const std::function<void()>& work)
{
    timespec a{};
    timespec b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    return double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6;
}

struct Times {
    double wall;
    double cpu;
};

// Wall and processor time of one run.
inline Times timed(const std::function<void()>& work)
{
    Times t{};
    t.wall = millis([&] { t.cpu = cpuMillis(work); });
    return t;
}

// The median of `runs` runs.
inline double medianMillis(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(millis(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
inline qint64 statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').front().toLongLong();
    return -1;
}

inline qint64 residentKb()
{
    return statusKb("VmRSS");
}

inline qint64 peakResidentKb()
{
    return statusKb("VmHWM");
}

// A figure as printed, kept for the growth run: its name, value and unit.
struct Figure {
    QString name;
    double value;
    QString unit;
};

// Every figure reported so far, in the order reported.
inline std::vector<Figure>& figures()
{
    static std::vector<Figure> all;
    return all;
}

inline void record(const char* name, double value, const char* unit)
{
    figures().push_back({QString::fromUtf8(name), value, QString::fromUtf8(unit)});
}

// "name: value unit  (baseline: value unit, ratio r; target ...)"
inline void report(const char* name, double value, double baseline, const char* unit, const char* target)
{
    record(name, value, unit);
    std::printf("%-52s %10.2f %-3s  baseline %10.2f %-3s  ratio %5.2f   target %s\n", name, value, unit, baseline, unit,
                baseline > 0 ? value / baseline : 0.0, target);
    std::fflush(stdout);
}

inline void note(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace bench
