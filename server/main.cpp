// zevalo-portal: the demo portal server that the client talks to.
#include "server/portalserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <thread>

namespace {

void usage()
{
    std::fprintf(stderr,
        "usage: zevalo-portal [--listen HOST:PORT] [--content DIR] [--media DIR] [--data DIR]\n"
        "                     [--log FILE] [--announce-version X.Y] [--sponsor]\n"
        "  --listen            address to listen on (default " ZV_SERVER_DEFAULT_LISTEN "; port 0: any)\n"
        "  --content           pages and catalogue (default " ZV_SERVER_DEFAULT_CONTENT ")\n"
        "  --media             generated media served under /media/ (default CONTENT/generated)\n"
        "  --data              contact messages and view counts (default " ZV_SERVER_DEFAULT_DATA ")\n"
        "  --log               one line per request goes there instead of standard error\n"
        "  --announce-version  version offered to the client (default 3.1.0.0: no update)\n"
        "  --sponsor           ask the client to show its sponsor window\n");
}

// An installed portal (bin/ beside share/zevalo-portal) serves the content
// installed with it and keeps its data in the user's state folder; a build
// runs from its own trees.
void useInstalledFolders(zvs::ServerOptions& opt)
{
    const QString content = QDir::cleanPath(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zevalo-portal/content"));
    if (!QFileInfo(content + QStringLiteral("/catalogue.json")).isFile())
        return;
    opt.contentDir = content;
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    opt.dataDir = state + QStringLiteral("/zevalo-portal");
}

} // namespace

int main(int argc, char** argv)
{
    // Stop signals are taken by a thread of their own, not a handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    zvs::ServerOptions opt;
    opt.contentDir = QStringLiteral(ZV_SERVER_DEFAULT_CONTENT);
    opt.dataDir = QStringLiteral(ZV_SERVER_DEFAULT_DATA);
    useInstalledFolders(opt);
    if (!zvs::parseListen(QStringLiteral(ZV_SERVER_DEFAULT_LISTEN), &opt.host, &opt.port)) {
        opt.host = QStringLiteral("127.0.0.1");
        opt.port = 8631;
    }
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&]() -> QString {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "zevalo-portal: %s needs a value\n", qPrintable(a));
                std::exit(2);
            }
            return args[++i];
        };
        if (a == QLatin1String("--listen")) {
            if (!zvs::parseListen(next(), &opt.host, &opt.port)) {
                std::fprintf(stderr, "zevalo-portal: --listen wants HOST:PORT\n");
                return 2;
            }
        } else if (a == QLatin1String("--content")) {
            opt.contentDir = next();
        } else if (a == QLatin1String("--media")) {
            opt.mediaDir = next();
        } else if (a == QLatin1String("--data")) {
            opt.dataDir = next();
        } else if (a == QLatin1String("--log")) {
            opt.logFile = next();
        } else if (a == QLatin1String("--announce-version")) {
            opt.announceVersion = next();
        } else if (a == QLatin1String("--sponsor")) {
            opt.sponsor = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage();
            return 0;
        } else {
            std::fprintf(stderr, "zevalo-portal: unknown option %s\n", qPrintable(a));
            usage();
            return 2;
        }
    }

    try {
        zvs::PortalServer server(opt);
        QString error;
        if (!server.bind(&error)) {
            std::fprintf(stderr, "zevalo-portal: %s\n", qPrintable(error));
            return 1;
        }
        // Tests and scripts read this line to learn the port.
        std::printf("zevalo-portal: listening on http://%s:%d/\n", qPrintable(opt.host), server.port());
        std::fflush(stdout);
        std::thread waiter([&server, stopSignals] {
            int sig = 0;
            sigwait(&stopSignals, &sig);
            server.stop();
            // Workers end within their read time-out; never linger past it.
            std::this_thread::sleep_for(std::chrono::seconds(8));
            std::_Exit(0);
        });
        waiter.detach();
        server.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zevalo-portal: %s\n", e.what());
        return 1;
    }
    return 0;
}
