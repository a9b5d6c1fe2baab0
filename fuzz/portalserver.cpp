// The demo portal's request handling over arbitrary bytes: the request line
// repair and the query readers on the first line, then the whole input as one
// connection served by the real server (Range headers, bodies, pipelined
// requests and all), on a socket pair so that nothing waits on the network.
#include "server/portalserver.h"

#include "fuzz/fuzzing.h"
#include "server/query.h"
#include "server/ranges.h"
#include "server/transport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using fuzz::check;

namespace {

std::unique_ptr<QTemporaryDir> folder;
std::unique_ptr<zvs::PortalServer> server;

// Writes the request, closes the writing side, reads the answer to the close.
QByteArray exchange(const QByteArray& request)
{
    int pair[2];
    check(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
    QByteArray answer;
    std::thread client([&] {
        for (qsizetype done = 0; done < request.size();) {
            const ssize_t n
                = ::send(pair[0], request.constData() + done, size_t(request.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            done += n;
        }
        ::shutdown(pair[0], SHUT_WR);
        char buffer[65536];
        for (;;) {
            pollfd p{pair[0], POLLIN, 0};
            check(::poll(&p, 1, 30000) == 1); // the server never leaves a connection hanging
            const ssize_t n = ::recv(pair[0], buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            answer.append(buffer, n);
        }
    });
    server->serveConnection(pair[1]); // closes it
    client.join();
    ::close(pair[0]);
    return answer;
}

void checkRepair(const QByteArray& firstLine)
{
    std::string original;
    const std::string repaired = zvs::repairRequestLine(firstLine.toStdString() + '\n', &original);
    check(repaired.size() >= 2 && repaired.compare(repaired.size() - 2, 2, "\r\n") == 0);
    const size_t first = repaired.find(' ');
    if (first == std::string::npos)
        return; // no target: the parser refuses the line
    const size_t last = repaired.rfind(' ');
    check(last > first);
    const std::string target = repaired.substr(first + 1, last - first - 1);
    int marks = 0;
    for (const unsigned char c : target) {
        check(c > 0x20 && c != 0x7F);
        marks += c == '?';
    }
    check(marks <= 1);
    for (const unsigned char c : original)
        check(c > 0x20 && c != 0x7F);
}

void checkQuery(const QByteArray& raw)
{
    const zvs::Query q(raw);
    for (const char* key : {"c", "t", "k", "cat", "jeu", "id", "num_page", "recherche", "url", "couleur"}) {
        const auto rawValue = q.rawValue(key);
        check(q.has(key) == rawValue.has_value());
        check(q.value(key).has_value() == rawValue.has_value());
        if (const auto rest = q.rest(key))
            check(raw.endsWith(*rest));
        const QString name = zvs::clientName(rawValue.value_or(QByteArray()));
        check(name == name.trimmed());
        for (const QString& word : zvs::keywordWords(name))
            check(!word.isEmpty() && !word.contains(u' ') && !word.contains(u'_') && !word.contains(u'+'));
        const QByteArray text = q.value(key).value_or(QByteArray());
        const auto count = zvs::parseCount(text, 1000000000L);
        const auto plain = fuzz::plainInteger(text.trimmed(), "", 0, 1000000000L);
        if (count)
            check(plain && *plain == *count);
        else
            check(!plain || text.trimmed().size() > 12 || text.trimmed().startsWith('+')
                || text.trimmed().startsWith('-'));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QString shm = QStringLiteral("/dev/shm");
    folder = std::make_unique<QTemporaryDir>(
        QFileInfo(shm).isWritable() ? shm + QStringLiteral("/zv-fuzz-portal-XXXXXX") : QString());
    QDir(folder->path()).mkpath(QStringLiteral("media/sons"));
    // A binary file for the ranges to cut, and a page of text.
    QFile media(folder->filePath(QStringLiteral("media/sons/son.mp3")));
    media.open(QIODevice::WriteOnly);
    for (int i = 0; i < 5000; ++i)
        media.putChar(char(i * 7));
    media.close();

    zvs::ServerOptions opt;
    opt.port = 0;
    opt.contentDir = QStringLiteral(ZV_SERVER_DEFAULT_CONTENT);
    opt.mediaDir = folder->filePath(QStringLiteral("media"));
    opt.dataDir = folder->filePath(QStringLiteral("data"));
    opt.logFile = QStringLiteral("/dev/null");
    server = std::make_unique<zvs::PortalServer>(opt);
    QString error;
    check(server->bind(&error));
    std::thread([] { server->run(); }).detach();
    // Connections are served only once the server runs.
    for (int i = 0; i < 500 && exchange("GET /exe/test_connexion.php HTTP/1.0\r\n\r\n").isEmpty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QByteArray firstLine = input.left(input.indexOf('\n'));
    checkRepair(firstLine);
    const qsizetype mark = firstLine.indexOf('?');
    checkQuery(mark < 0 ? QByteArray() : firstLine.mid(mark + 1, firstLine.lastIndexOf(' ') - mark - 1));

    // Whatever the Range value, a part lies within the file.
    const qsizetype range = input.indexOf("Range:");
    const QByteArray rangeValue = range < 0 ? firstLine : input.mid(range + 6).split('\n').first();
    for (const qint64 size : {qint64(0), qint64(1), qint64(5000), input.size()}) {
        const zvs::ByteRange r = zvs::selectRange(rangeValue, size);
        check(r.kind != zvs::ByteRange::Part || (0 <= r.first && r.first <= r.last && r.last < size));
    }

    const QByteArray answer = exchange(input);
    check(answer.isEmpty() || answer.startsWith("HTTP/1."));
    // Contact messages pile up: keep the data folder small.
    QFile contacts(folder->filePath(QStringLiteral("data/contact.txt")));
    if (contacts.size() > 1024 * 1024)
        contacts.remove();
    return 0;
}
