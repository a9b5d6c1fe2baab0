// TNMHTTP over TLS against scripted loopback servers with certificates made
// for the test: the same request lines, text and file mode, redirects between
// the two schemes and the cookies they carry, every refused certificate, and
// transports that break during the handshake or the answer.
#include "portal/nmhttpcalls.h"
#include "support/table.h"
#include "support/testtls.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace zv::test;

namespace {

// Certificates for the hosts below; every name under .test is 127.0.0.1.
enum class Cert { Good, Expired, NotYetValid, OtherHost, UnknownAuthority };

const QString Flux = QStringLiteral("flux.test");

} // namespace

Q_DECLARE_METATYPE(Cert)

class TestNmHttps : public QObject {
    Q_OBJECT

    TestAuthority ca;
    TestAuthority stranger{QStringLiteral("Autorité inconnue")};
    std::optional<TlsIdentity> good;

    QSslConfiguration tls(Cert cert) const
    {
        switch (cert) {
        case Cert::Good: return good->serverConfiguration();
        case Cert::Expired: return ca.issue({Flux}, -30, -1).serverConfiguration();
        case Cert::NotYetValid: return ca.issue({Flux}, 2, 30).serverConfiguration();
        case Cert::OtherHost: return ca.issue({QStringLiteral("autre.test")}).serverConfiguration();
        case Cert::UnknownAuthority: return stranger.issue({Flux}).serverConfiguration();
        }
        return {};
    }

    // scheme://flux.test:PORT/path, or another host of the test.
    static QByteArray at(const char* scheme, const ScriptedServer& srv, const QByteArray& path,
        const QByteArray& host = "flux.test")
    {
        return scheme + ("://" + host) + ':' + QByteArray::number(srv.port()) + path;
    }

private slots:
    void initTestCase()
    {
        ca.trustInThisProcess();
        good = ca.issue({Flux, QStringLiteral("www.zevalo.test"), QStringLiteral("127.0.0.1")});
        TNMHTTP::setHostLookup([](const QString& host, QObject* context, auto done) {
            const bool known = host.endsWith(QLatin1String(".test"));
            QTimer::singleShot(0, context, [done, known] {
                done(known ? QList<QHostAddress>{QHostAddress::LocalHost} : QList<QHostAddress>{});
            });
        });
    }

    void textMode_data()
    {
        zv::test::columns<QByteArray, Reply, int>("host", "reply", "successes");
        const QByteArray feed = "<?xml version=\"1.0\"?>\n<rss><channel><title>Le flux</title>"
                                "<item><title>\xc3\xa9pisode</title></item></channel></rss>\r\n";
        zv::test::row("feed", QByteArray("flux.test"), Reply::ok(feed, "application/rss+xml"), 1);
        zv::test::row("in pieces, no length", QByteArray("flux.test"),
            Reply::ok(feed).inPieces(7, 5).withoutContentLength(), 1);
        zv::test::row("address written as an IP", QByteArray("127.0.0.1"), Reply::ok(feed), 1);
        zv::test::row("error page", QByteArray("flux.test"), Reply::status(404, feed), 0);
    }
    void textMode()
    {
        QFETCH(QByteArray, host);
        QFETCH(Reply, reply);
        ScriptedServer srv(tls(Cert::Good));
        srv.setDefault(reply);
        TNMHTTP nmh;
        nmh.TimeOut = 10000;
        const Result r = get(nmh, at("https", srv, "/podcasts/flux.xml?n=1", host));
        QCOMPARE(r.error, QString());
        QTEST(r.successes, "successes");
        QCOMPARE(r.failures, 1 - r.successes);
        QCOMPARE(nmh.Body, reply.body);
        // The lines of a plain request, byte for byte.
        const QByteArray hostPort = host + ':' + QByteArray::number(srv.port());
        QCOMPARE(srv.requests().value(0).raw,
            "GET /podcasts/flux.xml?n=1 HTTP/1.0\r\nHost: " + hostPort + "\r\n" + Accepts + "\r\n");
        QVERIFY(!nmh.Busy());
    }

    void largeFileMode()
    {
        const qint64 size = 50 * 1024 * 1024 + 3;
        ScriptedServer srv(tls(Cert::Good));
        srv.setDefault(Reply::generated(size));
        QTemporaryDir dir;
        TNMHTTP nmh;
        nmh.InputFileMode = true;
        nmh.Body = QFile::encodeName(dir.filePath(QStringLiteral("morceau.mp3")));
        nmh.HeaderInfo.Referer = "https://flux.test/";
        nmh.OnAboutToSend = [](QList<QByteArray>& lines) { lines << "User-Agent: Mozilla/4.0"; };
        qint64 last = 0;
        qint64 biggest = 0;
        int packets = 0;
        nmh.OnPacketRecvd = [&] {
            ++packets;
            biggest = std::max(biggest, nmh.BytesReceived - last);
            last = nmh.BytesReceived;
        };
        const Result r = get(nmh, at("https", srv, "/media/morceau.mp3"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.successes, 1);
        QCOMPARE(nmh.BytesExpected, size);
        QCOMPARE(nmh.BytesReceived, size);
        QVERIFY(packets > 1);
        QVERIFY(biggest <= 64 * 1024);
        QCOMPARE(srv.requests().value(0).header("Referer"), QByteArray("https://flux.test/"));
        QCOMPARE(srv.requests().value(0).header("User-Agent"), QByteArray("Mozilla/4.0"));
        QFile file(QString::fromUtf8(nmh.Body));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.size(), size);
        QVERIFY(file.readAll() == generated(size));
    }

    // A chain of hops between a plain and a TLS server of the same host:
    // "p/x" is path /x on the plain one, "s/x" on the TLS one.
    void redirectsAcrossSchemes_data()
    {
        // hops: each but the last redirects to the next
        zv::test::columns<QByteArrayList, QString>("hops", "error");
        zv::test::row("plain to TLS", QByteArrayList{"p/a", "s/b"}, QString());
        zv::test::row("TLS to plain", QByteArrayList{"s/a", "p/b"}, QString());
        zv::test::row("both ways", QByteArrayList{"p/a", "s/b", "p/c", "s/d"}, QString());
        zv::test::row("path on the same TLS host", QByteArrayList{"s/a", "s/b"}, QString());
        QByteArrayList loop;
        for (int i = 0; i <= TNMHTTP::MaxRedirects; ++i)
            loop << (i % 2 ? "s/" : "p/") + QByteArray::number(i);
        loop << "p/fin";
        zv::test::row("loop between the schemes", loop, QStringLiteral("Trop de redirections"));
    }
    void redirectsAcrossSchemes()
    {
        QFETCH(QByteArrayList, hops);
        ScriptedServer plain;
        ScriptedServer secure(tls(Cert::Good));
        const auto url = [&](const QByteArray& hop) {
            const QByteArray path = hop.mid(1);
            return hop[0] == 's' ? at("https", secure, path) : at("http", plain, path);
        };
        for (int i = 0; i + 1 < hops.size(); ++i) {
            // Within one server the location is a path: it keeps the scheme.
            const bool same = hops[i][0] == hops[i + 1][0];
            const QByteArray location = same ? hops[i + 1].mid(1) : url(hops[i + 1]);
            (hops[i][0] == 's' ? secure : plain).on(hops[i].mid(1), Reply::redirect(302, location));
        }
        (hops.last()[0] == 's' ? secure : plain).on(hops.last().mid(1), Reply::ok("arrivé"));

        TNMHTTP nmh;
        nmh.TimeOut = 10000;
        const Result r = get(nmh, url(hops[0]));
        QTEST(r.error, "error");
        if (!r.error.isEmpty()) {
            QCOMPARE(r.successes + r.failures, 0);
            QCOMPARE(plain.requests().size() + secure.requests().size(), TNMHTTP::MaxRedirects + 1);
            return;
        }
        QCOMPARE(r.successes, 1);
        QCOMPARE(nmh.Body, QByteArray("arrivé"));
        QByteArrayList seen;
        for (const QByteArray& hop : hops) {
            const ScriptedServer& srv = hop[0] == 's' ? secure : plain;
            const qsizetype n = seen.count(hop.left(1));
            seen << hop.left(1);
            QCOMPARE(srv.requests().value(n).path, hop.mid(1));
        }
    }

    void cookiesKeepTheirScope_data()
    {
        // from: "p" or "s", then the host
        zv::test::columns<QByteArray, QByteArray, QByteArray, QByteArray>("from", "setCookie", "to", "sent");
        zv::test::row("plain to TLS, same host", QByteArray("p flux.test"), QByteArray("a=1; path=/"),
            QByteArray("s flux.test"), QByteArray("a=1"));
        zv::test::row("secure cookie, TLS to TLS", QByteArray("s flux.test"), QByteArray("a=1; Secure"),
            QByteArray("s flux.test"), QByteArray("a=1"));
        zv::test::row("secure cookie stays off plain HTTP", QByteArray("s flux.test"),
            QByteArray("a=1; Secure; path=/"), QByteArray("p flux.test"), QByteArray());
        zv::test::row("another host gets none", QByteArray("p flux.test"), QByteArray("a=1; path=/"),
            QByteArray("s www.zevalo.test"), QByteArray());
        zv::test::row("the domain's cookie reaches its hosts", QByteArray("p zevalo.test"),
            QByteArray("a=1; Domain=zevalo.test; path=/"), QByteArray("s www.zevalo.test"),
            QByteArray("a=1"));
    }
    void cookiesKeepTheirScope()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, setCookie);
        QFETCH(QByteArray, to);
        ScriptedServer plain;
        ScriptedServer secure(tls(Cert::Good));
        const auto url = [&](const QByteArray& where, const QByteArray& path) {
            const QByteArray host = where.mid(2);
            return where[0] == 's' ? at("https", secure, path, host) : at("http", plain, path, host);
        };
        ScriptedServer& first = from[0] == 's' ? secure : plain;
        ScriptedServer& second = to[0] == 's' ? secure : plain;
        first.on("/a", Reply::redirect(302, url(to, "/b")).withHeader("Set-Cookie: " + setCookie));
        second.on("/b", Reply::ok("fin"));
        TNMHTTP nmh;
        const Result r = get(nmh, url(from, "/a"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.successes, 1);
        const Request& last = second.requests().last();
        QCOMPARE(last.path, QByteArray("/b"));
        QTEST(last.header("Cookie"), "sent");
    }

    void refusedCertificates_data()
    {
        zv::test::columns<Cert, bool, QString>("cert", "throughRedirect", "error");
        zv::test::row("expired", Cert::Expired, false, QStringLiteral("Le certificat de flux.test a expiré"));
        zv::test::row("not yet valid", Cert::NotYetValid, false,
            QStringLiteral("Le certificat de flux.test n'est pas encore valide"));
        zv::test::row("another host's", Cert::OtherHost, false,
            QStringLiteral("Le certificat présenté par flux.test est celui d'un autre hôte"));
        zv::test::row("unknown authority", Cert::UnknownAuthority, false,
            QStringLiteral("Le certificat de flux.test vient d'une autorité inconnue"));
        zv::test::row("unknown authority, after a redirect", Cert::UnknownAuthority, true,
            QStringLiteral("Le certificat de flux.test vient d'une autorité inconnue"));
    }
    void refusedCertificates()
    {
        QFETCH(Cert, cert);
        QFETCH(bool, throughRedirect);
        ScriptedServer srv(tls(cert));
        srv.setDefault(Reply::ok("jamais lu"));
        ScriptedServer plain;
        plain.on("/", Reply::redirect(301, at("https", srv, "/flux.xml")));
        TNMHTTP nmh;
        nmh.Body.clear();
        const Result r = get(nmh, throughRedirect ? at("http", plain, "/") : at("https", srv, "/flux.xml"));
        QTEST(r.error, "error");
        QCOMPARE(r.successes + r.failures, 0);
        QVERIFY(srv.requests().isEmpty()); // nothing was sent to it
        QVERIFY(!nmh.Busy());
    }

    // The transport breaks: during the handshake (a plain server on the TLS
    // port) or in the answer. Nothing hangs beyond the time-out.
    void brokenTransport_data()
    {
        // abortAfterMs: -1: none
        zv::test::columns<bool, Reply, int, int, bool, QString>(
            "serverTls", "reply", "timeOut", "abortAfterMs", "fileMode", "error");
        const QString failed = QStringLiteral("La connexion sécurisée avec flux.test a échoué");
        const QString cut = QStringLiteral("Capture de Socket abandonnée");
        const QByteArray body(200000, 'b');
        zv::test::row(
            "plain HTTP on the TLS port", false, Reply::status(400, "Bad Request"), 0, -1, false, failed);
        zv::test::row("plain server closes at once", false, Reply::raw({}), 0, -1, false, failed);
        zv::test::row("handshake stalls", false, Reply::never(), 300, -1, false,
            QStringLiteral("Temps dépassé pour la connexion"));
        zv::test::row("abort during the handshake", false, Reply::never(), 0, 150, false,
            QStringLiteral("Connexion annulée"));
        zv::test::row(
            "stream cut mid-body", true, Reply::ok(body).closeAfter(100000).withReset(), 0, -1, false, cut);
        zv::test::row("stream cut mid-body, file mode", true, Reply::ok(body).closeAfter(100000).withReset(),
            0, -1, true, QStringLiteral("Envoi de Socket abandonné"));
        zv::test::row("cut without the close notice, no length", true,
            Reply::raw("HTTP/1.0 200 OK\r\n\r\n" + body).withReset(), 0, -1, false, cut);
    }
    void brokenTransport()
    {
        QFETCH(bool, serverTls);
        QFETCH(Reply, reply);
        QFETCH(int, abortAfterMs);
        QFETCH(bool, fileMode);
        auto srv = serverTls ? std::make_unique<ScriptedServer>(tls(Cert::Good))
                             : std::make_unique<ScriptedServer>();
        srv->setDefault(reply);
        QTemporaryDir dir;
        TNMHTTP nmh;
        QFETCH(int, timeOut);
        nmh.TimeOut = timeOut;
        nmh.InputFileMode = fileMode;
        if (fileMode)
            nmh.Body = QFile::encodeName(dir.filePath(QStringLiteral("coupé.mp3")));
        if (abortAfterMs >= 0)
            later(abortAfterMs, this, [&] { nmh.Abort(); });
        const Result r = get(nmh, at("https", *srv, "/x"));
        QTEST(r.error, "error");
        QCOMPARE(r.successes + r.failures, 0);
        QVERIFY(!nmh.Busy());
    }

    void destroyedDuringTheHandshake()
    {
        ScriptedServer stalls;
        stalls.setDefault(Reply::never());
        auto* nmh = new TNMHTTP;
        later(150, this, [&] { delete nmh; });
        const Result r = get(*nmh, at("https", stalls, "/x"));
        QVERIFY(r.aborted);
        QTRY_COMPARE(stalls.openConnections(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNmHttps)
#include "tst_nmhttps.moc"
