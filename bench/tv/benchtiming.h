#pragma once
// What the television benches measure with: medians, this thread's CPU time,
// memory, and how late a window's timer fires while work runs.
#include "bench/stats.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace bench {

inline double worst(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

inline double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// This thread's CPU time: on a shared machine, what a keystroke costs
// whatever else runs.
inline double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

inline qint64 rssKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toLongLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// A window's timer of `period` ms: how late each of its ticks came, and how
// much of that this thread was working.
class Lateness {
public:
    explicit Lateness(int period)
        : period_(period)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            late_.push_back(msSince(since_) - period_);
            const double cpu = cpuMs();
            busy_.push_back(cpu - cpuAt_);
            cpuAt_ = cpu;
            since_.restart();
        });
    }
    void start()
    {
        late_.clear();
        busy_.clear();
        timer_.start(period_);
        since_.start();
        cpuAt_ = cpuMs();
    }
    void stop() { timer_.stop(); }
    std::size_t ticks() const { return late_.size(); }
    double most() const { return worst(late_); }
    // The most CPU this thread spent between two ticks: what the program
    // itself kept the timer waiting, whatever else the machine runs.
    double mostBusy() const { return worst(busy_); }
    double percentile(int p) const
    {
        std::vector<double> v = late_;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * std::size_t(p) / 100)];
    }

private:
    int period_;
    QTimer timer_;
    QElapsedTimer since_;
    std::vector<double> late_;
    std::vector<double> busy_;
    double cpuAt_ = 0;
};

} // namespace bench
