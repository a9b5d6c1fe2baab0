#include "portalprocess.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>

QByteArray RawAnswer::header(const QByteArray& name) const
{
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

RawAnswer parseAnswer(const QByteArray& bytes)
{
    RawAnswer a;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    a.head = end < 0 ? bytes : bytes.left(end);
    a.body = end < 0 ? QByteArray() : bytes.mid(end + 4);
    const QList<QByteArray> status = a.head.left(a.head.indexOf('\r')).split(' ');
    if (status.size() >= 2)
        a.status = status[1].toInt();
    return a;
}

PortalProcess::PortalProcess(const QStringList& extraArgs)
{
    QStringList args = {"--listen", "127.0.0.1:0", "--content", ZV_TEST_CONTENT, "--media", ZV_TEST_MEDIA,
        "--data", data_.path(), "--log", logFile()};
    args += extraArgs;
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(ZV_PORTAL_EXE), args);
    if (!process_.waitForStarted(10000))
        return;
    QByteArray out;
    QElapsedTimer t;
    t.start();
    static const QRegularExpression re(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
    while (t.elapsed() < 10000 && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(200);
        out += process_.readAllStandardOutput();
        const auto m = re.match(QString::fromLatin1(out));
        if (m.hasMatch()) {
            port_ = m.captured(1).toInt();
            break;
        }
    }
}

PortalProcess::~PortalProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
}

QByteArray PortalProcess::host() const
{
    return "127.0.0.1:" + QByteArray::number(port_);
}

QByteArray PortalProcess::base() const
{
    return "http://" + host();
}

RawAnswer PortalProcess::raw(const QByteArray& request, int timeoutMs) const
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), quint16(port_));
    if (!s.waitForConnected(timeoutMs))
        return {};
    s.write(request);
    QByteArray bytes;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (s.state() != QAbstractSocket::ConnectedState && s.bytesAvailable() == 0)
            break;
        s.waitForReadyRead(100);
        bytes += s.readAll();
    }
    bytes += s.readAll();
    return parseAnswer(bytes);
}

RawAnswer PortalProcess::get(const QByteArray& pathAndQuery, const QByteArray& headers) const
{
    return raw("GET " + pathAndQuery + " HTTP/1.0\r\nHost: " + host()
        + "\r\nAccept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff"
          "\r\nAccept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
        + headers + "\r\n");
}

std::unique_ptr<PortalProcess> startPortalForClient(const QStringList& extraArgs)
{
    auto portal = std::make_unique<PortalProcess>(extraArgs);
    if (portal->started())
        qputenv("ZEVALO_PORTAL_HOST", portal->host());
    return portal;
}
