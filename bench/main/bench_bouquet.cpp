// A bouquet of 200,000 channels (about 20 MB) from a loopback portal, through
// the real main window:
//  - from the end of the answer to the list shown (parse, model, first paint);
//  - how the window answers during the transfer: the lateness of a 10 ms timer
//    while the answer streams in.
// Prints one line per figure. Usage: bench_bouquet [CHANNELS] [RUNS]
#include "fakeengine.h"
#include "fakeportal.h"
#include "portal/nmhttp.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace zv::test;

namespace {

QByteArray bigBouquet(int n)
{
    static const char* flags[] = {"fr", "be", "ch", "de", "uk", "us", "it", "es", "ca", "jp"};
    QByteArray out;
    out.reserve(qsizetype(n) * 104);
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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    const int channels = argc > 1 ? atoi(argv[1]) : 200000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;

    ScriptedServer server;
    FakePortal portal(server);
    const QByteArray body = bigBouquet(channels);
    // In pieces with short gaps, as a real network would deliver it.
    portal.set("/exe/medias.php?t=3&colid", Reply::ok(body, "text/plain").inPieces(64 * 1024, 2));
    qputenv("ZEVALO_PORTAL_HOST", server.hostPort());
    FakeEngineLog engines;
    installFakeEngines(&engines);

    auto w = CreateThemeWindow(2);
    if (!w->FormCreate())
        return 1;
    w->show();
    for (int i = 0; i < 20; ++i)
        app.processEvents();

    std::printf("bouquet: %d channels, %.1f MB\n", channels, body.size() / 1e6);
    QElapsedTimer clock;
    clock.start();
    {
        const qint64 t0 = clock.elapsed();
        const auto rows = zv::ParseChannelRecords(body, zv::ChannelIcons::Tele);
        std::printf("reading the answer alone: %lld ms for %zu rows\n", clock.elapsed() - t0, rows.size());
    }
    for (int run = 0; run < runs; ++run) {
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
        probe.start();
        transferStart = clock.elapsed();
        emit w->btnFctTele->clicked();
        probe.stop();
        w->nmhListeCanaux->OnSuccess = original;
        const int rows = w->lvListeCanauxModel->rowCount();
        std::printf("run %d: rows %d, transfer %lld ms, end of answer -> list shown %lld ms, "
                    "timer lateness during transfer: max %lld ms, mean %.1f ms over %lld ticks\n",
            run + 1, rows, endOfAnswer - transferStart, shown - endOfAnswer, maxLate,
            ticks ? double(sumLate) / double(ticks) : 0.0, ticks);
        std::fflush(stdout);
        emit w->btnFctAccueil->clicked();
        app.processEvents();
    }
    return 0;
}
