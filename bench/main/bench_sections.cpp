// Switching sections in the real main window, everything loaded once: home ->
// television -> radios -> media on demand -> home, many rounds. For each switch:
// the user-interface thread's own work (CPU time of that thread, so the
// network's wait is left out) and the wall time, from the click to the window
// repainted; then what the switch set going (page loads) in the next moments.
// Baselines in the same run: repainting the unchanged window, and the thread's
// work over the same moments with no switch.
// The portal is zv_fake_portal in its own process, so its work is not counted.
// Usage: bench_sections ZV_FAKE_PORTAL [ROUNDS] [CHANNELS]
#include "bench/stats.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Lets the event loop run, idle when it has nothing to do.
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void line(const char* what, const std::vector<double>& v)
{
    std::printf("  %-34s median %6.1f ms (min %.1f, max %.1f, n=%zu)\n", what, median(v),
        *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()), v.size());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_sections ZV_FAKE_PORTAL [ROUNDS] [CHANNELS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? atoi(argv[2]) : 15;
    const QString channels = QString::fromLatin1(argc > 3 ? argv[3] : "40");

    QProcess portal;
    portal.start(QString::fromLocal8Bit(argv[1]), {QStringLiteral("0"), channels});
    if (!portal.waitForReadyRead(10000))
        return 1;
    const QByteArray port = portal.readLine().trimmed();
    qputenv("ZEVALO_PORTAL_HOST", "127.0.0.1:" + port);

    auto w = CreateThemeWindow(2);
    if (!w->FormCreate())
        return 1;
    w->show();
    settle(1500);

    struct Step {
        const char* name;
        TBtnGraph* button;
    };
    const Step cycle[] = {{"home -> television", w->btnFctTele}, {"television -> radios", w->btnFctRadio},
        {"radios -> media on demand", w->btnFctMOD}, {"media on demand -> home", w->btnFctAccueil}};

    // Everything once: each section's browsers and lists are made here.
    for (const Step& s : cycle) {
        emit s.button->clicked();
        settle(1000);
    }

    std::map<std::string, std::vector<double>> cpu, wall, after;
    std::vector<double> baseline, idle;
    for (int r = 0; r < rounds; ++r) {
        for (const Step& s : cycle) {
            QElapsedTimer t;
            const double c0 = threadCpuMs();
            t.start();
            emit s.button->clicked();
            w->repaint();
            cpu[s.name].push_back(threadCpuMs() - c0);
            wall[s.name].push_back(double(t.nsecsElapsed()) / 1e6);
            const double a0 = threadCpuMs();
            settle(400);
            after[s.name].push_back(threadCpuMs() - a0);

            const double b0 = threadCpuMs();
            w->repaint();
            baseline.push_back(threadCpuMs() - b0);
            // The same 400 ms with no switch: the ticker, the ad, the pages at rest.
            const double i0 = threadCpuMs();
            settle(400);
            idle.push_back(threadCpuMs() - i0);
        }
    }

    std::printf(
        "section switches, %d rounds, television list of %s channels\n", rounds, qPrintable(channels));
    for (const Step& s : cycle) {
        std::printf("%s\n", s.name);
        line("UI thread work (CPU), click+paint:", cpu[s.name]);
        line("wall time, click+paint:", wall[s.name]);
        line("UI thread, next 400 ms:", after[s.name]);
    }
    std::vector<double> all;
    for (auto& [name, v] : cpu)
        all.insert(all.end(), v.begin(), v.end());
    std::printf("all switches\n");
    line("UI thread work (CPU), click+paint:", all);
    std::printf("baseline\n");
    line("repainting the unchanged window:", baseline);
    line("UI thread, 400 ms with no switch:", idle);
    portal.kill();
    portal.waitForFinished();
    return 0;
}
