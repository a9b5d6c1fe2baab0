// bench_download: file-mode downloads through TNMHTTP, with their throughput
// and the growth of the process's memory while they run.
//
//   bench_download [--trust CA.pem] URL FILE [URL FILE ...]
//
// URLs without a scheme, as the program passes them, or https: ones; --trust
// adds a certificate authority to the system's for this run (a loopback TLS
// server with a certificate of its own).
//
// With several pairs the downloads run at once the way the program runs them:
// each one starts from inside the wait of the one before (a download window
// opened while the others receive).
//
// Prints one line: the number of downloads, the bytes of all of them, seconds
// from the first request to the end of the last answer, MB/s (10^6 bytes) of
// all of them together, resident memory before, the highest resident memory
// seen (sampled every 64 packets) and the process's high-water mark, in kB;
// then the seconds at which each download's answer ended.
#include "base/errors.h"
#include "bench/procstatus.h"
#include "portal/freedmemory.h"
#include "portal/nmhttp.h"
#include "support/testtls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct Download {
    TNMHTTP nmh;
    QByteArray url;
    bool ok = false;
    double endedAt = -1; // seconds since the start, when the answer ended
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    zv::keepLittleFreedMemory(); // as the program does
    if (argc > 2 && qstrcmp(argv[1], "--trust") == 0) {
        if (!zv::test::trustAuthorityFile(QString::fromLocal8Bit(argv[2])))
            return 2;
        argc -= 2;
        argv += 2;
    }
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: bench_download [--trust CA.pem] URL FILE [URL FILE ...]\n");
        return 2;
    }
    QElapsedTimer clock;
    qint64 peakRss = 0;
    int packets = 0;
    std::vector<std::unique_ptr<Download>> downloads;
    for (int i = 1; i + 1 < argc; i += 2) {
        auto d = std::make_unique<Download>();
        Download* p = d.get();
        p->url = QByteArray(argv[i]);
        p->nmh.InputFileMode = true;
        p->nmh.Body = QByteArray(argv[i + 1]);
        p->nmh.OnPacketRecvd = [&, p] {
            if (++packets % 64 == 0)
                peakRss = std::max(peakRss, procStatusValue("VmRSS:"));
            if (p->nmh.BytesExpected > 0 && p->nmh.BytesReceived >= p->nmh.BytesExpected)
                p->endedAt = double(clock.nsecsElapsed()) / 1e9;
        };
        p->nmh.OnSuccess = [p](int) { p->ok = true; };
        downloads.push_back(std::move(d));
    }

    // Download i waits in Get; the next one starts from inside that wait.
    std::function<void(size_t)> start = [&](size_t i) {
        if (i + 1 < downloads.size())
            QTimer::singleShot(0, [&, i] { start(i + 1); });
        zv::guarded([&] { downloads[i]->nmh.Get(downloads[i]->url); });
    };

    const qint64 rssBefore = procStatusValue("VmRSS:");
    peakRss = rssBefore;
    clock.start();
    start(0);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    peakRss = std::max(peakRss, procStatusValue("VmRSS:"));

    qint64 bytes = 0;
    for (const auto& d : downloads) {
        if (!d->ok) {
            std::fprintf(stderr, "bench_download: a download failed (%s)\n", d->url.constData());
            return 1;
        }
        bytes += d->nmh.BytesReceived;
    }
    std::printf("downloads=%zu bytes=%lld seconds=%.3f MBps=%.1f rss_before_kB=%lld rss_peak_kB=%lld "
                "hwm_kB=%lld packets=%d ended_at=",
        downloads.size(), static_cast<long long>(bytes), seconds, double(bytes) / 1e6 / seconds,
        static_cast<long long>(rssBefore), static_cast<long long>(peakRss),
        static_cast<long long>(procStatusValue("VmHWM:")), packets);
    for (size_t i = 0; i < downloads.size(); ++i)
        std::printf("%s%.3f", i ? "," : "", downloads[i]->endedAt);
    std::printf("\n");
    return 0;
}
