// Start-up and memory at rest of the real program, against a scripted portal
// served from this process:
//  - from process start to the home section's first request at the portal
//    (/exe/cont.php?c=urlaccg), and to the home page's own fetch;
//  - the same for a bare program that opens one web view on that home page;
//  - peak memory (VmHWM) of the program and of its web engine processes, after
//    a few seconds at rest on the home section.
// Usage: bench_startup ZEVALO BARE_WEBVIEW [RUNS]
#include "fakeportal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <cstdio>

using namespace zv::test;

namespace {

qint64 statusKb(int pid, const char* key)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(strlen(key))).trimmed().split(' ').first().toLongLong();
    }
    return 0;
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

    qint64 sumZ = 0, sumZPage = 0, sumB = 0;
    for (int i = 0; i < runs; ++i) {
        const Result z = runOnce(server, zevalo, {}, "/exe/cont.php?c=urlaccg", i == runs - 1);
        const Result b = runOnce(server, bare, {homePage}, "/pages/accueil_g.html", i == runs - 1);
        std::printf(
            "run %d: zevalo first home request %lld ms (connection test asked at %lld ms, home page fetched "
            "%lld ms); bare web view page fetched %lld ms\n",
            i + 1, z.firstRequest, z.connectionTest, z.pageFetch, b.pageFetch);
        sumZ += z.firstRequest;
        sumZPage += z.pageFetch;
        sumB += b.pageFetch;
        if (i == runs - 1) {
            std::printf(
                "memory at rest on the home section: zevalo %.1f MB peak, %d web engine processes %.1f MB "
                "peak in all (sum of each one's peak); all together now %.1f MB proportional\n",
                z.mainKb / 1024.0, z.children, z.childrenKb / 1024.0, z.pssKb / 1024.0);
            std::printf(
                "memory, bare web view: %.1f MB peak, %d web engine processes %.1f MB peak in all; all "
                "together now %.1f MB proportional\n",
                b.mainKb / 1024.0, b.children, b.childrenKb / 1024.0, b.pssKb / 1024.0);
        }
        std::fflush(stdout);
    }
    std::printf(
        "mean: zevalo %lld ms to /exe/cont.php?c=urlaccg (%lld ms to the home page), bare web view %lld ms; "
        "ratio %.2f (%.2f page to page)\n",
        sumZ / runs, sumZPage / runs, sumB / runs, double(sumZ) / double(sumB),
        double(sumZPage) / double(sumB));
    return 0;
}
