// A big channel list from a loopback portal, through the real main window: the
// portal's record list (television, first bouquet) and an operator's M3U
// bouquet (second bouquet), each of ENTRIES entries (1,000,000: about 120 MB).
// For each, per run:
//  - from the end of the answer to the list shown (read, model, first paint);
//  - how the window answers during the transfer: the lateness of a 10 ms timer
//    while the answer streams in;
//  - the peak memory the request added (the answer, the rows, the view), against
//    the answer's size.
// Baseline in the same run: the same answers with their rows copied out, one
// object per entry as the list used to hold them, time and memory.
// Usage: bench_bouquet [ENTRIES] [RUNS]
#include "bench/procstatus.h"
#include "bench/stats.h"
#include "portal/freedmemory.h"
#include "portal/nmhttp.h"
#include "support/fakeengine.h"
#include "support/fakeportal.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace zv::test;

namespace {

QByteArray recordList(int n)
{
    static const char* flags[] = {"fr", "be", "ch", "de", "uk", "us", "it", "es", "ca", "jp"};
    QByteArray out;
    out.reserve(qsizetype(n) * 120);
    for (int i = 0; i < n; ++i) {
        out += '[';
        out += flags[i % 10];
        out += "]Cha\xeene num\xe9ro " + QByteArray::number(i) + " - programme g\xe9n\xe9raliste";
        out += "@@mms://streaming.tv.example/live/channel" + QByteArray::number(i) + "/index.asf?q=hd";
        out += "##" + QByteArray::number(i + 1);
        if (i + 1 < n)
            out += "||";
    }
    return out;
}

// As operators write them: UTF-8 titles now and then, an option line now and then.
QByteArray m3uBouquet(int n)
{
    QByteArray out = "#EXTM3U\r\n";
    out.reserve(qsizetype(n) * 120);
    for (int i = 0; i < n; ++i) {
        const QByteArray number = QByteArray::number(i + 1);
        out += "#EXTINF:0," + number
            + (i % 10 == 0 ? " - Cha\xc3\xaene r\xc3\xa9gionale\r\n" : " - Chaine de la TNT HD\r\n");
        if (i % 4 == 0)
            out += "#EXTVLCOPT:network-caching=1000\r\n";
        out += "rtsp://mafreebox.freebox.fr/fbxtv_pub/stream?namespace=1&service=" + number
            + "&flavour=hd\r\n";
    }
    return out;
}

qint64 statusKb(const char* key)
{
    return procStatusValue(key);
}

// Peak memory from here on: the kernel's high-water mark starts again at the
// current size.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The peak memory (MB) that work added.
double peakGrowthMb(const std::function<void()>& work)
{
    // Freed memory the allocator still holds would hide the growth.
    zv::releaseFreedMemory();
    resetPeak();
    const qint64 before = statusKb("VmRSS:");
    work();
    return double(statusKb("VmHWM:") - before) / 1024.0;
}

struct Figures {
    std::vector<double> shown, maxLate, meanLate, transfer, peakRatio;
};

void summary(const char* what, const std::vector<double>& v, const char* unit)
{
    std::printf("  %s: median %.1f%s (min %.1f, max %.1f)\n", what, median(v), unit,
        *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;

    ScriptedServer server;
    FakePortal portal(server);
    struct Kind {
        const char* name;
        int bouquet;
        QByteArray path;
        QByteArray body;
        std::function<std::size_t(const QByteArray&)> readAlone, readAsRows;
    };
    Kind kinds[] = {
        {"record list", 0, "/exe/medias.php?t=3&colid", recordList(entries),
            [](const QByteArray& b) { return zv::ReadChannelRecords(b, zv::ChannelIcons::Tele).size(); },
            [](const QByteArray& b) { return zv::ParseChannelRecords(b, zv::ChannelIcons::Tele).size(); }},
        {"M3U bouquet", 1, "/bouquet/free.m3u", m3uBouquet(entries),
            [](const QByteArray& b) { return zv::ReadM3uBouquet(b).size(); },
            [](const QByteArray& b) { return zv::ParseM3uBouquet(b).size(); }},
    };
    // In pieces with short gaps, as a real network would deliver them.
    for (const Kind& k : kinds)
        portal.set(k.path, Reply::ok(k.body, "text/plain").inPieces(64 * 1024, 2));
    qputenv("ZEVALO_PORTAL_HOST", server.hostPort());
    FakeEngineLog engines;
    installFakeEngines(&engines);

    auto w = CreateThemeWindow(2);
    if (!w->FormCreate())
        return 1;
    w->show();
    for (int i = 0; i < 20; ++i)
        app.processEvents();

    QElapsedTimer clock;
    clock.start();
    for (Kind& k : kinds) {
        const double mb = k.body.size() / 1e6;
        std::printf("== %s: %d entries, %.1f MB\n", k.name, entries, mb);
        {
            std::size_t rows = 0;
            qint64 t0 = clock.elapsed();
            const double grown = peakGrowthMb([&] { rows = k.readAlone(k.body); });
            std::printf(
                "reading alone, rows kept as slices of the answer: %lld ms for %zu rows, peak +%.1f MB\n",
                clock.elapsed() - t0, rows, grown);
            t0 = clock.elapsed();
            const double grownRows = peakGrowthMb([&] { rows = k.readAsRows(k.body); });
            std::printf("baseline, the rows copied out, one object per entry as the list used to hold them: "
                        "%lld ms, peak +%.1f MB\n",
                clock.elapsed() - t0, grownRows);
        }
        Figures f;
        for (int run = 0; run < runs; ++run) {
            w->cmbBouquet->setCurrentIndex(k.bouquet); // asked for by the television section
            // The last answer stays in the component until its next request;
            // measured from a clean start.
            w->nmhListeCanaux->Body = QByteArray();

            qint64 endOfAnswer = 0, shown = 0, transferStart = 0;
            qint64 maxLate = 0, sumLate = 0, ticks = 0;
            qint64 last = -1;
            QTimer probe;
            probe.setInterval(10);
            QObject::connect(&probe, &QTimer::timeout, [&] {
                const qint64 now = clock.elapsed();
                if (last >= 0 && w->nmhListeCanaux->Busy()) {
                    const qint64 late = now - last - 10;
                    maxLate = std::max(maxLate, late);
                    sumLate += std::max<qint64>(0, late);
                    ++ticks;
                }
                last = now;
            });
            const auto original = w->nmhListeCanaux->OnSuccess;
            w->nmhListeCanaux->OnSuccess = [&](int cmd) {
                endOfAnswer = clock.elapsed();
                original(cmd);
                // Shown: the view has laid out and painted its first rows.
                w->lvListeCanaux->repaint();
                shown = clock.elapsed();
            };
            const double grown = peakGrowthMb([&] {
                probe.start();
                transferStart = clock.elapsed();
                emit w->btnFctTele->clicked();
                probe.stop();
            });
            w->nmhListeCanaux->OnSuccess = original;
            const int rows = w->lvListeCanauxModel->rowCount();
            std::printf("run %d: rows %d, transfer %lld ms, end of answer -> list shown %lld ms, "
                        "timer lateness during transfer: max %lld ms, mean %.1f ms over %lld ticks; "
                        "peak +%.1f MB (%.2f x the answer)\n",
                run + 1, rows, endOfAnswer - transferStart, shown - endOfAnswer, maxLate,
                ticks ? double(sumLate) / double(ticks) : 0.0, ticks, grown, grown / mb);
            std::fflush(stdout);
            f.shown.push_back(double(shown - endOfAnswer));
            f.maxLate.push_back(double(maxLate));
            f.meanLate.push_back(ticks ? double(sumLate) / double(ticks) : 0.0);
            f.transfer.push_back(double(endOfAnswer - transferStart));
            f.peakRatio.push_back(grown / mb);
            emit w->btnFctAccueil->clicked();
            app.processEvents();
        }
        std::printf("%s over %d runs:\n", k.name, runs);
        summary("end of answer -> list shown", f.shown, " ms");
        summary("timer lateness, worst of the run", f.maxLate, " ms");
        summary("timer lateness, mean of the run", f.meanLate, " ms");
        summary("transfer", f.transfer, " ms");
        summary("peak memory added / answer size", f.peakRatio, "x");
        std::fflush(stdout);
    }
    w->cmbBouquet->setCurrentIndex(0);
    return 0;
}
