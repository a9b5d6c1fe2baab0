// bench_player_startup serve DIR        serves DIR over loopback HTTP, prints its base URL
// bench_player_startup time BASE RUNS   for each engine: Load + Play of a file under BASE
//                                       RUNS times; prints first and median ms to IsPlaying
//                                       and to a position past 0 (the picture moving)
// Runs with headless outputs (QT_QPA_PLATFORM=offscreen) so it measures the
// engines, not a sound card.
#include "base/errors.h"
#include "bench/stats.h"
#include "support/scriptedserver.h"
#include "ui/player/cadplayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Startup {
    double playing = -1; // ms from Load to IsPlaying
    double moving = -1; // ms from Load to a position past 0
};

// -1 when it did not happen within 30 s.
Startup startup(const QString& url)
{
    Startup result;
    TfrmPlayer frame;
    frame.show();
    QTimer tick; // IsPlaying is a query: wake the loop to ask it
    tick.start(1);
    QElapsedTimer clock;
    clock.start();
    if (!zv::guarded([&] {
            frame.Load(url);
            frame.Play();
        }))
        return result;
    while (clock.elapsed() < 30000 && (result.playing < 0 || result.moving < 0)) {
        if (result.playing < 0 && frame.IsPlaying())
            result.playing = clock.nsecsElapsed() / 1e6;
        if (result.moving < 0 && frame.GetPosition() > 0)
            result.moving = clock.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    frame.Load(QString());
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("serve")) {
        zv::test::FileServer server(args.at(2));
        if (!server.isListening())
            return 1;
        std::printf("%s\n", qPrintable(server.url(QString()).toString()));
        std::fflush(stdout);
        return app.exec();
    }
    if (args.size() < 4 || args.at(1) != QLatin1String("time")) {
        std::fprintf(stderr, "usage: bench_player_startup serve DIR | time BASE_URL RUNS\n");
        return 2;
    }
    const QString base = args.at(2);
    const int runs = std::max(1, args.at(3).toInt());
    const struct {
        const char* engine;
        QString url;
    } rows[] = {{"Windows Media Player (Qt Multimedia)", "wmp:" + base + "clip.mp4"},
        {"RealPlayer (libmpv)", "ra:" + base + "clip.rm"}, {"VLC (libVLC)", base + "clip.mp4"}};
    for (const auto& row : rows) {
        std::vector<double> playing;
        std::vector<double> moving;
        for (int i = 0; i < runs; ++i) {
            const Startup s = startup(row.url);
            playing.push_back(s.playing);
            moving.push_back(s.moving);
        }
        std::printf("frame\t%s\t%.1f\t%.1f\t%.1f\t%.1f\n", row.engine, playing.front(), median(playing),
            moving.front(), median(moving));
        std::fflush(stdout);
    }
    return 0;
}
