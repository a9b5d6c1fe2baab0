// Throughput and latency of zevalo-portal over loopback, HTTP/1.0 as the
// client sends it: for each address, C clients each make R requests in turn.
// The connection test (the smallest answer) is the baseline of the same run.
//   bench_portal PORTAL_EXE CONTENT_DIR MEDIA_DIR [clients] [requests]
#include "bench/procstatus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// One request; returns the answer's size, -1 on failure.
long fetch(int port, const std::string& request)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
    long total = 0;
    char buf[65536];
    for (ssize_t n; (n = ::recv(s, buf, sizeof buf, 0)) > 0;)
        total += n;
    ::close(s);
    return total;
}

long rssKb(qint64 pid)
{
    return long(procStatusValue("VmRSS:", int(pid)));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_portal PORTAL_EXE CONTENT_DIR MEDIA_DIR [clients] [requests]\n");
        return 2;
    }
    const int clients = argc > 4 ? std::max(1, atoi(argv[4])) : 16;
    const int requests = argc > 5 ? std::max(1, atoi(argv[5])) : 50;
    QTemporaryDir data;
    QProcess portal;
    portal.start(QString::fromLocal8Bit(argv[1]),
        {"--listen", "127.0.0.1:0", "--content", QString::fromLocal8Bit(argv[2]), "--media",
            QString::fromLocal8Bit(argv[3]), "--data", data.path(), "--log", data.path() + "/log.txt"});
    portal.waitForReadyRead(10000);
    const auto m = QRegularExpression(QStringLiteral(":(\\d+)/"))
                       .match(QString::fromLatin1(portal.readAllStandardOutput()));
    if (!m.hasMatch()) {
        std::fprintf(stderr, "bench_portal: the portal did not start\n");
        return 1;
    }
    const int port = m.captured(1).toInt();
    std::printf("zevalo-portal on port %d, %d clients x %d requests each, RSS at start %ld kB\n", port,
        clients, requests, rssKb(portal.processId()));
    std::printf("%-44s %10s %9s %9s %10s\n", "address", "req/s", "p50 ms", "p99 ms", "bytes");

    const char* paths[] = {"/exe/test_connexion.php", "/exe/medias.php?t=3&colid", "/bouquet/free.m3u",
        "/exe/rech_rbc.php?num_page=0&recherche=", "/exe/rech_dm.php?num_page=2&recherche=zevalo",
        "/podcasts/journal.xml", "/exe/cont.php?c=pub", "/media/tv/zevalo-tv.mp4"};
    for (const char* path : paths) {
        const std::string request = std::string("GET ") + path
            + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port)
            + "\r\nAccept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n\r\n";
        std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
        std::atomic<long> bytes{0}, failures{0};
        QElapsedTimer wall;
        wall.start();
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                for (int r = 0; r < requests; ++r) {
                    const auto t0 = std::chrono::steady_clock::now();
                    const long n = fetch(port, request);
                    latencies[size_t(c)].push_back(
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                            .count());
                    if (n < 0)
                        ++failures;
                    else
                        bytes += n;
                }
            });
        }
        for (auto& t : threads)
            t.join();
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        std::vector<double> all;
        for (const auto& l : latencies)
            all.insert(all.end(), l.begin(), l.end());
        std::sort(all.begin(), all.end());
        std::printf("%-44s %10.0f %9.2f %9.2f %10ld%s\n", path, double(all.size()) / seconds,
            all[all.size() / 2], all[std::min(all.size() - 1, all.size() * 99 / 100)],
            bytes.load() / long(all.size()), failures ? " (failures!)" : "");
    }
    std::printf("RSS after the run: %ld kB\n", rssKb(portal.processId()));
    portal.terminate();
    portal.waitForFinished(5000);
    return 0;
}
