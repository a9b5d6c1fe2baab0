// Start-up and memory at rest of the real program, against a scripted portal
// served from this process:
//  - from process start to the home section's first request at the portal
//    (/exe/cont.php?c=urlaccg), and to the home page's own fetch;
//  - the same for a bare program that opens one web view on that home page;
//  - memory after a few seconds at rest on the home section: the proportional
//    set size of all processes together (the program and its web engine
//    processes), and the main process's peak.
// Medians and spread over the runs, each run starting both programs.
// Usage: bench_startup ZEVALO BARE_WEBVIEW [RUNS]
#include "bench/procstatus.h"
#include "bench/stats.h"
#include "support/fakeportal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zv::test;

namespace {

qint64 statusKb(int pid, const char* key)
{
    return procStatusValue(key, pid);
}

// Proportional set size now: shared pages split between the processes that map them.
qint64 pssKb(int pid)
{
    QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// Every process below pid (children, grandchildren...).
QList<int> descendants(int pid)
{
    QMultiHash<int, int> children;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int p = name.toInt(&ok);
        if (!ok)
            continue;
        QFile f(QStringLiteral("/proc/%1/stat").arg(p));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = f.readAll();
        const qsizetype close = stat.lastIndexOf(')');
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children.insert(fields[1].toInt(), p);
    }
    QList<int> out, todo{pid};
    while (!todo.isEmpty()) {
        const int p = todo.takeFirst();
        for (int c : children.values(p)) {
            out << c;
            todo << c;
        }
    }
    return out;
}

struct Result {
    qint64 firstRequest = -1; // ms from start to the watched request
    qint64 pageFetch = -1; // ms from start to the home page's fetch
    qint64 connectionTest = -1; // ms from start to the connection test's request
    qint64 mainKb = 0, childrenKb = 0, pssKb = 0;
    int children = 0;
};

Result runOnce(ScriptedServer& server, const QString& program, const QStringList& args,
    const QByteArray& watch, bool measureMemory)
{
    Result r;
    QElapsedTimer clock;
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEVALO_PORTAL_HOST"), QString::fromLatin1(server.hostPort()));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    proc.setProcessEnvironment(env);
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    auto c = QObject::connect(&server, &ScriptedServer::requestReceived, &loop, [&](const Request& req) {
        if (req.path == "/exe/test_connexion.php" && r.connectionTest < 0)
            r.connectionTest = clock.elapsed();
        if (req.path == watch && r.firstRequest < 0)
            r.firstRequest = clock.elapsed();
        if (req.path == "/pages/accueil_g.html" && r.pageFetch < 0) {
            r.pageFetch = clock.elapsed();
            loop.quit();
        }
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    clock.start();
    proc.start(program, args);
    loop.exec();
    QObject::disconnect(c);
    if (measureMemory && proc.state() == QProcess::Running) {
        // At rest on the home section.
        QEventLoop rest;
        QTimer::singleShot(6000, &rest, &QEventLoop::quit);
        rest.exec();
        const int pid = int(proc.processId());
        r.mainKb = statusKb(pid, "VmHWM:");
        r.pssKb = pssKb(pid);
        for (int child : descendants(pid)) {
            r.childrenKb += statusKb(child, "VmHWM:");
            r.pssKb += pssKb(child);
            ++r.children;
        }
    }
    proc.kill();
    proc.waitForFinished(5000);
    return r;
}

void summary(const char* what, const std::vector<double>& v, const char* unit)
{
    std::printf("  %-52s median %7.2f%s (min %.2f, max %.2f)\n", what, median(v), unit,
        *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup ZEVALO BARE_WEBVIEW [RUNS]\n");
        return 2;
    }
    const QString zevalo = QString::fromLocal8Bit(argv[1]);
    const QString bare = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? atoi(argv[3]) : 3;
    ScriptedServer server;
    FakePortal portal(server);
    const QString homePage = QStringLiteral("http://") + QString::fromLatin1(server.hostPort())
        + QStringLiteral("/pages/accueil_g.html");

    // Per run; the bare view and the program alternate, so both see the same machine.
    std::vector<double> zRequest, zPage, zTest, bPage, requestGoal, pageGoal, zMem, bMem, memRatio;
    for (int i = 0; i < runs; ++i) {
        const Result z = runOnce(server, zevalo, {}, "/exe/cont.php?c=urlaccg", true);
        const Result b = runOnce(server, bare, {homePage}, "/pages/accueil_g.html", true);
        std::printf("run %d: zevalo first home request %lld ms (connection test asked at %lld ms, home page "
                    "fetched %lld ms); bare web view page fetched %lld ms\n",
            i + 1, z.firstRequest, z.connectionTest, z.pageFetch, b.pageFetch);
        std::printf(
            "  at rest on the home section: zevalo %.1f MB proportional in all (%d web engine "
            "processes; main peak %.1f MB), bare web view %.1f MB (%d processes; main peak %.1f MB)\n",
            z.pssKb / 1024.0, z.children, z.mainKb / 1024.0, b.pssKb / 1024.0, b.children, b.mainKb / 1024.0);
        std::fflush(stdout);
        zRequest.push_back(double(z.firstRequest));
        zPage.push_back(double(z.pageFetch));
        zTest.push_back(double(z.connectionTest));
        bPage.push_back(double(b.pageFetch));
        // The goal: at most the connection test's 500 ms + 1.3 x the bare view.
        requestGoal.push_back(double(z.firstRequest - 500) / double(b.pageFetch));
        pageGoal.push_back(double(z.pageFetch - 500) / double(b.pageFetch));
        zMem.push_back(z.pssKb / 1024.0);
        bMem.push_back(b.pssKb / 1024.0);
        memRatio.push_back(double(z.pssKb) / double(b.pssKb));
    }
    std::printf("over %d runs:\n", runs);
    summary("zevalo, start to the connection test's request:", zTest, " ms");
    summary("zevalo, start to /exe/cont.php?c=urlaccg:", zRequest, " ms");
    summary("zevalo, start to the home page's fetch:", zPage, " ms");
    summary("bare web view, start to its page's fetch:", bPage, " ms");
    summary("(zevalo's home request - 500 ms) / bare (goal <= 1.3):", requestGoal, "");
    summary("(zevalo's home page - 500 ms) / bare (goal <= 1.3):", pageGoal, "");
    summary("zevalo at rest, all processes, proportional:", zMem, " MB");
    summary("bare web view at rest, all processes, proportional:", bMem, " MB");
    summary("memory at rest, zevalo / bare (goal <= 1.3):", memRatio, "");
    return 0;
}
