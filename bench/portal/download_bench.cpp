// bench_download: one file-mode download through TNMHTTP, with its throughput
// and the growth of the process's memory while it runs.
//
//   bench_download URL FILE     URL without a scheme, as the program passes them
//
// Prints one line: bytes, seconds, MB/s (10^6 bytes), resident memory before the
// download, the highest resident memory seen during it (sampled at every packet)
// and the process's high-water mark, all in kB.
#include "portal/errors.h"
#include "portal/nmhttp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray wanted = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(wanted))
            return line.mid(wanted.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_download URL FILE\n");
        return 2;
    }
    TNMHTTP nmh;
    nmh.InputFileMode = true;
    nmh.Body = QByteArray(argv[2]);
    qint64 peakRss = 0;
    int packets = 0;
    nmh.OnPacketRecvd = [&] {
        if (++packets % 64 == 0)
            peakRss = std::max(peakRss, statusKb("VmRSS"));
    };
    bool ok = false;
    nmh.OnSuccess = [&](int) { ok = true; };

    const qint64 rssBefore = statusKb("VmRSS");
    peakRss = rssBefore;
    QElapsedTimer clock;
    clock.start();
    const bool ran = zv::guarded([&] { nmh.Get(QByteArray(argv[1])); });
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    peakRss = std::max(peakRss, statusKb("VmRSS"));
    if (!ran || !ok) {
        std::fprintf(stderr, "bench_download: the download failed\n");
        return 1;
    }
    std::printf(
        "bytes=%lld seconds=%.3f MBps=%.1f rss_before_kB=%lld rss_peak_kB=%lld hwm_kB=%lld packets=%d\n",
        static_cast<long long>(nmh.BytesReceived), seconds, double(nmh.BytesReceived) / 1e6 / seconds,
        static_cast<long long>(rssBefore), static_cast<long long>(peakRss),
        static_cast<long long>(statusKb("VmHWM")), packets);
    return 0;
}
