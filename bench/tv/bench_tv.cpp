// Own lists and programme guides at the sizes real providers serve.
//
//   bench_tv [--entries N] [--channels N] [--days N] [--rounds N]
//
// 1. An own list of N entries (1,000,000) with groups: reading time, the
//    search keys, then "zevalo météo" typed a letter at a time: the time of
//    each keystroke (median and worst), and of the longest slice a window
//    would run (65,536 rows).
// 2. A generated XMLTV guide (2,000 channels over 7 days, about 100 MB): read
//    and indexed by a child process of this program, beside `xmllint --stream`
//    and Python's iterparse reading the same file in the same run, each ROUNDS
//    times in turn (median wall and CPU time, peak memory). Then read by the
//    worker while the main thread's 10 ms timer runs: how late it fires.
#include "benchtiming.h"
#include "portal/tv/guideloader.h"
#include "portal/tv/ownlist.h"
#include "portal/tv/rowfilter.h"
#include "portal/tv/xmltv.h"
#include "support/tvsamples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

void benchList(int entries, int rounds)
{
    const QByteArray body = zv::test::generatedList(entries);
    std::printf("== own list: %d entries, %.1f MB\n", entries, double(body.size()) / 1e6);

    std::vector<double> reads;
    zv::OwnListReading reading;
    const qint64 before = rssKb();
    for (int r = 0; r < rounds; ++r) {
        reading = {};
        QElapsedTimer t;
        t.start();
        reading = zv::ReadOwnList(body);
        reads.push_back(msSince(t));
    }
    std::printf("   read: %.0f ms (median of %d), %zu rows, %d groups, +%lld MB beside the answer\n",
        median(reads), rounds, reading.list.size(), reading.list.groupCount(), (rssKb() - before) / 1024);

    QElapsedTimer t;
    t.start();
    const auto index = reading.list.searchIndex();
    std::printf("   search keys: %.0f ms\n", msSince(t));

    zv::RowFilter filter(index);
    const QString typed = QStringLiteral("zevalo météo 12");
    std::vector<double> keystrokes;
    std::vector<double> keystrokesCpu;
    double longestSlice = 0;
    for (int round = 0; round < rounds; ++round) {
        filter.setQuery(QString());
        for (qsizetype n = 1; n <= typed.size(); ++n) {
            QElapsedTimer k;
            k.start();
            const double cpu = cpuMs();
            filter.setQuery(typed.first(n));
            while (!filter.finished()) {
                QElapsedTimer slice;
                slice.start();
                filter.step(65536);
                longestSlice = std::max(longestSlice, msSince(slice));
            }
            keystrokes.push_back(msSince(k));
            keystrokesCpu.push_back(cpuMs() - cpu);
        }
    }
    std::printf(
        "   keystroke (\"%s\" typed %d times): median %.2f ms (CPU %.2f ms), worst %.2f ms (CPU %.2f ms); "
        "longest 65536-row slice %.2f ms; %zu rows found at the end\n",
        qPrintable(typed), rounds, median(keystrokes), median(keystrokesCpu),
        *std::max_element(keystrokes.begin(), keystrokes.end()),
        *std::max_element(keystrokesCpu.begin(), keystrokesCpu.end()), longestSlice, filter.rows().size());
}

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    long maxRssKb = 0;
    bool ok = false;
};

// A program run to its end, with its wall and CPU time and its peak memory.
Run runChild(const std::vector<QByteArray>& argv)
{
    std::vector<char*> args;
    for (const QByteArray& a : argv)
        args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (int null = open("/dev/null", O_WRONLY); null >= 0)
            dup2(null, STDOUT_FILENO);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.wallMs = msSince(t);
    run.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.maxRssKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

void benchGuide(const QByteArray& self, int channels, int days, int rounds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("guide.xml"));
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
    {
        const QByteArray guide = zv::test::generatedGuide(channels, days, start);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(guide) != guide.size()) {
            std::printf("cannot write %s\n", qPrintable(path));
            return;
        }
        QFile gz(path + QStringLiteral(".gz"));
        if (gz.open(QIODevice::WriteOnly))
            gz.write(zv::test::gzipped(guide));
    }
    const qint64 size = QFileInfo(path).size();
    std::printf("== guide: %d channels, %d days, %.1f MB (%.1f MB compressed)\n", channels, days,
        double(size) / 1e6, double(QFileInfo(path + QStringLiteral(".gz")).size()) / 1e6);

    const QByteArray file = path.toLocal8Bit();
    struct Reader {
        const char* name;
        std::vector<QByteArray> argv;
        std::vector<Run> runs;
    };
    std::vector<Reader> readers = {{"zevalo (this reader)", {self, "read-guide", file}, {}},
        {"zevalo, .xml.gz", {self, "read-guide", file + ".gz"}, {}},
        {"Qt and this program, no reading", {self, "idle"}, {}},
        {"xmllint --stream", {"xmllint", "--stream", "--noout", file}, {}},
        {"python3 iterparse",
            {"python3", "-c",
                "import sys, xml.etree.ElementTree as E\n"
                "for _, e in E.iterparse(sys.argv[1]): e.clear()\n",
                file},
            {}}};
    for (int r = 0; r < rounds; ++r) {
        for (Reader& reader : readers)
            reader.runs.push_back(runChild(reader.argv));
    }
    const auto wall = [](const Reader& r) {
        std::vector<double> v;
        for (const Run& run : r.runs)
            v.push_back(run.wallMs);
        return median(v);
    };
    const auto cpu = [](const Reader& r) {
        std::vector<double> v;
        for (const Run& run : r.runs)
            v.push_back(run.cpuMs);
        return median(v);
    };
    const Reader& ours = readers[0];
    for (const Reader& reader : readers) {
        long rss = 0;
        bool ok = true;
        for (const Run& run : reader.runs) {
            rss = std::max(rss, run.maxRssKb);
            ok = ok && run.ok;
        }
        std::printf("   %-32s wall %6.0f ms  cpu %6.0f ms  peak %5ld MB (%.2f x the file)%s\n", reader.name,
            wall(reader), cpu(reader), rss / 1024, double(rss) * 1024 / double(size), ok ? "" : "  (FAILED)");
    }
    for (std::size_t k = 3; k < readers.size(); ++k) {
        if (!readers[k].runs.front().ok)
            continue;
        std::printf(
            "   speed beside %s: %.2fx by wall time, %.2fx by CPU time (>= 1: ours is as fast or faster)\n",
            readers[k].name, wall(readers[k]) / wall(ours), cpu(readers[k]) / cpu(ours));
    }

    // The worker reads while the window's 10 ms timer runs.
    zv::GuideLoader loader;
    Lateness timer(10);
    bool done = false;
    std::shared_ptr<const zv::GuideIndex> index;
    QElapsedTimer total;
    QObject::connect(
        &loader, &zv::GuideLoader::finished, [&](std::shared_ptr<const zv::GuideIndex> i, const QString&) {
            index = std::move(i);
            done = true;
        });
    timer.start();
    total.start();
    loader.start(path);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timer.stop();
    std::printf(
        "   on the worker: %.0f ms, %zu programmes, index %.1f MB; the 10 ms timer fired %zu times, late by "
        "%.1f ms at most (99th percentile %.1f ms)\n",
        msSince(total), index->totalProgrammes(), double(index->memoryUse()) / 1e6, timer.ticks(),
        timer.most(), timer.percentile(99));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == u"read-guide") {
        const zv::GuideReading r = zv::ReadGuideFile(args.value(2));
        std::printf("%zu programmes %s\n", r.index->totalProgrammes(), qPrintable(r.error));
        return r.error.isEmpty() ? 0 : 1;
    }
    if (args.value(1) == u"idle")
        return 0;
    const auto option = [&](const char* name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1StringView(name));
        return at > 0 ? args.value(at + 1).toInt() : fallback;
    };
    const int rounds = option("--rounds", 3);
    benchList(option("--entries", 1000000), rounds);
    benchGuide(QCoreApplication::applicationFilePath().toLocal8Bit(), option("--channels", 2000),
        option("--days", 7), rounds);
    return 0;
}
