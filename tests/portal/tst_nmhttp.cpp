// TNMHTTP against the scripted loopback server: the bytes on the wire, the
// callbacks, the error texts, time-outs, aborts, redirects, file mode and
// destruction while a request waits.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "portal/nmhttpcalls.h"
#include "support/scriptedserver.h"
#include "support/table.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace zv::test;

class TestNmHttp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void wireFormat_data();
    void wireFormat();
    void defaultsOfAComponent();
    void immediateErrors_data();
    void immediateErrors();
    void hostLookup_data();
    void hostLookup();
    void realHostName();
    void connectionTimeOut();
    void abortWhileConnecting();
    void bodyWaitEnds_data();
    void bodyWaitEnds();
    void noTimeOutKeepsWaitingWithTheLoopLive();
    void abortWhenIdleDoesNothing();
    void nestedGetIsRefused();
    void nestedRequestKeepsTheOuterAnswer();
    void outerRequestMovesUnderANestedWait_data();
    void outerRequestMovesUnderANestedWait();
    void abortGivesTheComponentBack_data();
    void abortGivesTheComponentBack();
    void statusDecidesTheCallback_data();
    void statusDecidesTheCallback();
    void bodyIsExact_data();
    void bodyIsExact();
    void headerHoldsTheHead();
    void announcedLengthCostsNothingUntilItArrives();
    void redirects_data();
    void redirects();
    void redirectCarriesCookies();
    void redirectChainIsBounded();
    void redirectToAnotherServer();
    void fileMode_data();
    void fileMode();
    void fileModeWritesAsItArrives();
    void fileModeUnwritableFile();
    void fileModeResumes_data();
    void fileModeResumes();
    void destroyedWhileWaiting_data();
    void destroyedWhileWaiting();
    void destroyedInACallback_data();
    void destroyedInACallback();
    void callbackErrorLeavesGetWhenIdle();
    void twoRequestsInARow();
    void serverInAnotherProcess();
};

// Plain HTTP only: this process has no TLS library, so https: addresses meet
// the error of a system without one (TLS itself: tst_nmhttps).
void TestNmHttp::initTestCase()
{
    QVERIFY(QSslSocket::setActiveBackend(QStringLiteral("cert-only")));
}

void TestNmHttp::cleanup()
{
    TNMHTTP::setHostLookup({});
}

void TestNmHttp::wireFormat_data()
{
    // url: "@" stands for 127.0.0.1:PORT
    // added: a line added by OnAboutToSend
    zv::test::columns<QByteArray, QByteArray, QByteArray, QByteArray>("url", "referer", "added", "expected");

    zv::test::row("portal request", QByteArray("@/exe/cont.php?c=message"), QByteArray(), QByteArray(),
        QByteArray("GET /exe/cont.php?c=message HTTP/1.0\r\nHost: @\r\n" + Accepts + "\r\n"));
    zv::test::row("no path", QByteArray("@"), QByteArray(), QByteArray(),
        QByteArray("GET / HTTP/1.0\r\nHost: @\r\n" + Accepts + "\r\n"));
    zv::test::row("scheme", QByteArray("http://@/a/b.mp3"), QByteArray(), QByteArray(),
        QByteArray("GET /a/b.mp3 HTTP/1.0\r\nHost: @\r\n" + Accepts + "\r\n"));
    zv::test::row("download", QByteArray("@/dir/my%20song.rbs?x=1"), QByteArray("http://@/"),
        QByteArray("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"),
        QByteArray("GET /dir/my%20song.rbs?x=1 HTTP/1.0\r\nHost: @\r\n" + Accepts
            + "Referer: http://@/\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
              "\r\n"));
    zv::test::row("space in the path", QByteArray("@/a b"), QByteArray(), QByteArray(),
        QByteArray("GET /a%20b HTTP/1.0\r\nHost: @\r\n" + Accepts + "\r\n"));
}

void TestNmHttp::wireFormat()
{
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, referer);
    QFETCH(QByteArray, added);
    QFETCH(QByteArray, expected);
    ScriptedServer srv;
    srv.setDefault(Reply::ok("x"));
    url.replace("@", srv.hostPort());
    expected.replace("@", srv.hostPort());
    referer.replace("@", srv.hostPort());

    TNMHTTP nmh;
    nmh.HeaderInfo.Referer = referer;
    int aboutToSend = 0;
    nmh.OnAboutToSend = [&](QList<QByteArray>& lines) {
        ++aboutToSend;
        QVERIFY(nmh.Busy());
        if (!added.isEmpty())
            lines << added;
    };
    const Result r = get(nmh, url);
    QCOMPARE(r.error, QString());
    QCOMPARE(r.successes, 1);
    QCOMPARE(aboutToSend, 1);
    QCOMPARE(srv.requests().size(), 1);
    QCOMPARE(srv.requests()[0].raw, expected);
}

void TestNmHttp::defaultsOfAComponent()
{
    TNMHTTP nmh;
    QCOMPARE(nmh.Body, QByteArray("Default.htm"));
    QCOMPARE(nmh.Header, QByteArray("Head.txt"));
    QCOMPARE(nmh.TimeOut, 0);
    QVERIFY(!nmh.InputFileMode);
    QVERIFY(!nmh.OutputFileMode);
    QVERIFY(!nmh.Busy());
    QCOMPARE(nmh.BytesReceived, qint64(0));
    QCOMPARE(nmh.BytesExpected, qint64(0));

    // The Port property stands in when the URL has none; the Host line stays as written.
    ScriptedServer srv;
    srv.setDefault(Reply::ok("p"));
    nmh.Port = srv.port();
    const Result r = get(nmh, "127.0.0.1/x");
    QCOMPARE(r.successes, 1);
    QVERIFY(srv.requests().value(0).raw.contains("\r\nHost: 127.0.0.1\r\n"));
}

void TestNmHttp::immediateErrors_data()
{
    zv::test::columns<QByteArray, QString>("url", "error");
    zv::test::row("empty", QByteArray(), QStringLiteral("URL vide"));
    zv::test::row("https", QByteArray("https://www.zevalo.com/x"),
        QStringLiteral("HTTP Secure Socket is not supported"));
    zv::test::row(
        "https in capitals", QByteArray("HTTPS://h/"), QStringLiteral("HTTP Secure Socket is not supported"));
    zv::test::row("no host", QByteArray("/exe/cont.php"), QStringLiteral("Adresse distante nulle"));
    zv::test::row("scheme and no host", QByteArray("http:///x"), QStringLiteral("Adresse distante nulle"));
    zv::test::row(
        "control byte in the host", QByteArray("h\r\nX/"), QStringLiteral("Adresse distante nulle"));
    zv::test::row("bad port", QByteArray("127.0.0.1:99999/x"), QStringLiteral("La connection a échoué"));
}

void TestNmHttp::immediateErrors()
{
    QFETCH(QByteArray, url);
    TNMHTTP nmh;
    const Result r = get(nmh, url);
    QTEST(r.error, "error");
    QCOMPARE(r.successes + r.failures, 0);
    QVERIFY(!nmh.Busy());
}

void TestNmHttp::hostLookup_data()
{
    // answerAfterMs: -1: the look-up never ends
    // abortAfterMs: -1: no abort
    zv::test::columns<int, bool, int, int, QString>(
        "answerAfterMs", "found", "timeOut", "abortAfterMs", "error");

    zv::test::row("found", 20, true, 0, -1, QString());
    zv::test::row(
        "time-out", -1, false, 150, -1, QStringLiteral("Temps dépassé pour la recherche de l'hôte"));
    zv::test::row("aborted", -1, false, 0, 100, QStringLiteral("Recherche de l'hôte annulée"));
    zv::test::row("aborted before", 20, true, 0, 0, QStringLiteral("Recherche de l'hôte annulée"));
}

void TestNmHttp::hostLookup()
{
    QFETCH(int, answerAfterMs);
    QFETCH(bool, found);
    QFETCH(int, timeOut);
    QFETCH(int, abortAfterMs);
    ScriptedServer srv;
    srv.setDefault(Reply::ok("trouvé"));
    QString looked;
    TNMHTTP::setHostLookup([&](const QString& host, QObject* context, auto done) {
        looked = host;
        if (answerAfterMs < 0)
            return;
        QTimer::singleShot(answerAfterMs, context, [done, found] {
            done(found ? QList<QHostAddress>{QHostAddress::LocalHost} : QList<QHostAddress>{});
        });
    });
    TNMHTTP nmh;
    nmh.TimeOut = timeOut;
    if (abortAfterMs == 0)
        nmh.OnAboutToSend = [&](QList<QByteArray>&) { nmh.Abort(); };
    else if (abortAfterMs > 0)
        later(abortAfterMs, this, [&] { nmh.Abort(); });
    const Result r = get(nmh, "portail.zevalo.test:" + QByteArray::number(srv.port()) + "/exe/x");
    QTEST(r.error, "error");
    if (abortAfterMs != 0)
        QCOMPARE(looked, QStringLiteral("portail.zevalo.test"));
    QCOMPARE(r.successes, r.error.isEmpty() ? 1 : 0);
    if (r.error.isEmpty())
        QCOMPARE(nmh.Body, QByteArray("trouvé"));
    QVERIFY(!nmh.Busy());
}

void TestNmHttp::realHostName()
{
    ScriptedServer srv;
    srv.setDefault(Reply::ok("local"));
    TNMHTTP nmh;
    const Result r = get(nmh, "localhost:" + QByteArray::number(srv.port()) + "/");
    QCOMPARE(r.error, QString());
    QCOMPARE(nmh.Body, QByteArray("local"));
    QVERIFY(srv.requests().value(0).raw.contains(
        "\r\nHost: localhost:" + QByteArray::number(srv.port()) + "\r\n"));
}

void TestNmHttp::connectionTimeOut()
{
    BlackHole hole;
    TNMHTTP nmh;
    nmh.TimeOut = 200;
    const Result r = get(nmh, hole.hostPort() + "/x");
    QCOMPARE(r.error, QStringLiteral("Temps dépassé pour la connexion"));
    QVERIFY(!nmh.Busy());
}

void TestNmHttp::abortWhileConnecting()
{
    BlackHole hole;
    TNMHTTP nmh; // no time-out: only the abort ends the wait
    bool busyDuringWait = false;
    later(150, this, [&] {
        busyDuringWait = nmh.Busy();
        nmh.Abort();
    });
    const Result r = get(nmh, hole.hostPort() + "/x");
    QCOMPARE(r.error, QStringLiteral("Connexion annulée"));
    QVERIFY(busyDuringWait);
    QVERIFY(!nmh.Busy());
}

void TestNmHttp::bodyWaitEnds_data()
{
    // answers: false: the server never sends a byte
    // how: timeout, timer-abort, packet-abort
    zv::test::columns<bool, bool, QByteArray, QString>("fileMode", "answers", "how", "error");
    const QString text = QStringLiteral("Capture de Socket abandonnée");
    const QString file = QStringLiteral("Envoi de Socket abandonné");
    zv::test::row("file, time-out", true, true, QByteArray("timeout"), file);
    zv::test::row("file, no answer, time-out", true, false, QByteArray("timeout"), file);
    zv::test::row("text, abort", false, true, QByteArray("timer-abort"), text);
    zv::test::row("file, abort", true, true, QByteArray("timer-abort"), file);
    zv::test::row("text, abort from a packet", false, true, QByteArray("packet-abort"), text);
    zv::test::row("file, abort from a packet", true, true, QByteArray("packet-abort"), file);
}

void TestNmHttp::bodyWaitEnds()
{
    QFETCH(bool, fileMode);
    QFETCH(bool, answers);
    QFETCH(QByteArray, how);
    ScriptedServer srv;
    // Head and a first piece at once, the rest far later.
    srv.setDefault(answers ? Reply::ok(QByteArray(200, 'x')).inPieces(80, 60000) : Reply::never());
    QTemporaryDir dir;
    TNMHTTP nmh;
    nmh.InputFileMode = fileMode;
    if (fileMode)
        nmh.Body = QFile::encodeName(dir.filePath(QStringLiteral("f.bin")));
    int packets = 0;
    nmh.OnPacketRecvd = [&] {
        ++packets;
        if (how == "packet-abort")
            nmh.Abort();
    };
    if (how == "timeout")
        nmh.TimeOut = 250;
    else if (how == "timer-abort")
        later(250, this, [&] { nmh.Abort(); });
    const Result r = get(nmh, srv.url("/x"));
    QTEST(r.error, "error");
    QCOMPARE(r.successes + r.failures, 0);
    QCOMPARE(packets >= 1, answers);
    QVERIFY(!nmh.Busy());
    QTRY_COMPARE(srv.openConnections(), 0); // the connection is closed
}

void TestNmHttp::noTimeOutKeepsWaitingWithTheLoopLive()
{
    ScriptedServer srv;
    srv.setDefault(Reply::never());
    TNMHTTP nmh;
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (++ticks == 8)
            nmh.Abort();
    });
    ticker.start(30);
    const Result r = get(nmh, srv.url("/jamais"));
    QCOMPARE(ticks, 8); // the loop ran timers while Get waited, and only the abort ended it
    QCOMPARE(r.error, QStringLiteral("Capture de Socket abandonnée"));
    QCOMPARE(srv.requests().size(), 1);
}

void TestNmHttp::abortWhenIdleDoesNothing()
{
    ScriptedServer srv;
    srv.setDefault(Reply::ok("ok"));
    TNMHTTP nmh;
    nmh.Abort();
    const Result r = get(nmh, srv.url("/"));
    QCOMPARE(r.successes, 1);
    QCOMPARE(nmh.Body, QByteArray("ok"));
}

void TestNmHttp::nestedGetIsRefused()
{
    ScriptedServer srv;
    srv.setDefault(Reply::ok("premier").delayed(300));
    TNMHTTP nmh;
    QString nestedError;
    QTimer::singleShot(50, this, [&] {
        try {
            nmh.Get(srv.url("/second"));
        } catch (const zv::Error& e) {
            nestedError = e.message();
        }
    });
    const Result r = get(nmh, srv.url("/premier"));
    QCOMPARE(nestedError, QStringLiteral("Déjà connecté"));
    QCOMPARE(r.error, QString());
    QCOMPARE(r.successes, 1);
    QCOMPARE(nmh.Body, QByteArray("premier"));
    QCOMPARE(srv.requests().size(), 1);
}

void TestNmHttp::nestedRequestKeepsTheOuterAnswer()
{
    // The outer request's time-out runs out while a longer request of another
    // component waits above it; its answer had arrived meanwhile and counts.
    ScriptedServer srv;
    srv.on("/outer", Reply::ok("extérieur").delayed(50));
    srv.on("/inner", Reply::ok("intérieur").delayed(700));
    TNMHTTP outer;
    TNMHTTP inner;
    outer.TimeOut = 300;
    Result innerResult;
    QTimer::singleShot(20, this, [&] { innerResult = get(inner, srv.url("/inner")); });
    const Result r = get(outer, srv.url("/outer"));
    QCOMPARE(innerResult.successes, 1);
    QCOMPARE(r.error, QString());
    QCOMPARE(r.successes, 1);
    QCOMPARE(outer.Body, QByteArray("extérieur"));
}

void TestNmHttp::outerRequestMovesUnderANestedWait_data()
{
    // outcome: what becomes of the outer request
    zv::test::columns<QByteArray, bool, QString>("outcome", "fileMode", "error");
    zv::test::row("text, received to the end", QByteArray("end"), false, QString());
    zv::test::row("file, received to the end", QByteArray("end"), true, QString());
    zv::test::row("file, aborted", QByteArray("abort"), true, QStringLiteral("Envoi de Socket abandonné"));
    zv::test::row(
        "text, timed out", QByteArray("timeout"), false, QStringLiteral("Capture de Socket abandonnée"));
}

void TestNmHttp::outerRequestMovesUnderANestedWait()
{
    // A request that never answers waits above the outer one: the outer one
    // still receives, ends, and lets go of its connection, all during that wait.
    QFETCH(QByteArray, outcome);
    QFETCH(bool, fileMode);
    ScriptedServer srv;
    const QByteArray body = generated(300000);
    srv.on("/outer",
        outcome == "end"         ? Reply::ok(body).inPieces(20000, 10)
            : outcome == "abort" ? Reply::ok(body).inPieces(1000, 60000)
                                 : Reply::never());
    srv.on("/inner", Reply::never());
    QTemporaryDir dir;
    TNMHTTP outer;
    TNMHTTP inner;
    outer.InputFileMode = fileMode;
    if (fileMode)
        outer.Body = QFile::encodeName(dir.filePath(QStringLiteral("outer.bin")));
    if (outcome == "timeout")
        outer.TimeOut = 200;

    QStringList order;
    int packetsUnderInner = 0;
    int connectionsLeft = -1;
    outer.OnPacketRecvd = [&] { packetsUnderInner += inner.Busy(); };
    outer.OnSuccess = [&](int) { order << QStringLiteral("outer success"); };
    connect(&srv, &ScriptedServer::requestReceived, this, [&](const zv::test::Request& r) {
        if (r.path == "/outer") {
            later(0, this, [&] {
                get(inner, srv.url("/inner"));
                order << QStringLiteral("inner returned");
            });
        } else if (r.path == "/inner") {
            later(0, this, [&] {
                auto release = qScopeGuard([&] { inner.Abort(); });
                if (outcome == "abort") {
                    QTRY_VERIFY(outer.BytesReceived > 0);
                    outer.Abort();
                    QVERIFY(!outer.Connected()); // at once
                }
                QTRY_VERIFY_WITH_TIMEOUT(!outer.Connected(), 20000);
                QVERIFY(inner.Busy());
                QTRY_COMPARE(srv.openConnections(), 1); // only the inner request's
                connectionsLeft = srv.openConnections();
                order << QStringLiteral("outer ended");
            });
        }
    });

    QString error;
    try {
        outer.Get(srv.url("/outer"));
    } catch (const zv::Error& e) {
        error = e.message();
    }
    QTEST(error, "error");
    QCOMPARE(connectionsLeft, 1);
    QVERIFY(!outer.Busy() && !outer.Connected());
    if (outcome != "end") {
        QCOMPARE(order, (QStringList{"outer ended", "inner returned"}));
        return;
    }
    // The answer was all read under the inner wait; only its callback waited.
    QCOMPARE(order, (QStringList{"outer ended", "inner returned", "outer success"}));
    QVERIFY(packetsUnderInner > 1);
    QCOMPARE(outer.BytesReceived, qint64(body.size()));
    if (fileMode) {
        QFile file(dir.filePath(QStringLiteral("outer.bin")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == body);
    } else {
        QVERIFY(outer.Body == body);
    }
}

void TestNmHttp::abortGivesTheComponentBack_data()
{
    QTest::addColumn<bool>("answered"); // the answer is in, its callbacks wait for a request above
    zv::test::row("while the answer is awaited", false);
    zv::test::row("answer in, callbacks waiting", true);
}

void TestNmHttp::abortGivesTheComponentBack()
{
    // Aborted during its wait, a request frees its component for a newer one
    // at once; when its own Get returns it fails, with no callback and without
    // touching what the newer request left.
    QFETCH(bool, answered);
    ScriptedServer srv;
    srv.on("/first", answered ? Reply::ok("premier") : Reply::never());
    srv.on("/second", Reply::ok("second"));
    srv.on("/above", Reply::never());
    TNMHTTP nmh;
    TNMHTTP above;
    QByteArrayList successes;
    nmh.OnSuccess = [&](int) { successes << nmh.Body; };
    bool busyAfterAbort = true;
    const auto abortAndReuse = [&] {
        nmh.Abort();
        busyAfterAbort = nmh.Busy();
        nmh.Get(srv.url("/second"));
    };
    connect(&srv, &ScriptedServer::requestReceived, this, [&](const zv::test::Request& r) {
        if (r.path == "/first")
            later(0, this,
                answered ? std::function<void()>([&] { get(above, srv.url("/above")); }) : abortAndReuse);
        else if (r.path == "/above")
            later(0, this, [&] {
                auto release = qScopeGuard([&] { above.Abort(); });
                QTRY_VERIFY(!nmh.Connected());
                abortAndReuse();
            });
    });
    QString error;
    try {
        nmh.Get(srv.url("/first"));
    } catch (const zv::Error& e) {
        error = e.message();
    }
    QCOMPARE(error, QStringLiteral("Capture de Socket abandonnée"));
    QVERIFY(!busyAfterAbort);
    QCOMPARE(successes, QByteArrayList{"second"});
    QCOMPARE(nmh.Body, QByteArray("second"));
    QVERIFY(!nmh.Busy());
}

void TestNmHttp::statusDecidesTheCallback_data()
{
    zv::test::columns<QByteArray, int, int, int, QByteArray>(
        "answer", "status", "successes", "failures", "body");

    const QByteArray page = "<html><body>Introuvable</body></html>\r\n";
    zv::test::row("200", QByteArray("HTTP/1.0 200 OK\r\n\r\nok"), 200, 1, 0, QByteArray("ok"));
    zv::test::row("204", QByteArray("HTTP/1.0 204 No Content\r\n\r\n"), 204, 1, 0, QByteArray());
    zv::test::row("299", QByteArray("HTTP/1.0 299 X\r\n\r\nb"), 299, 1, 0, QByteArray("b"));
    zv::test::row("304", QByteArray("HTTP/1.0 304 Not Modified\r\n\r\n"), 304, 0, 0, QByteArray());
    zv::test::row("302 without Location", QByteArray("HTTP/1.0 302 Found\r\n\r\nmoved"), 302, 0, 0,
        QByteArray("moved"));
    zv::test::row("500", QByteArray("HTTP/1.0 500 Oops\r\n\r\nerr"), 500, 0, 1, QByteArray("err"));
    zv::test::row("no status number", QByteArray("BONJOUR\r\n\r\ntexte"), 0, 0, 1, QByteArray("texte"));
}

void TestNmHttp::statusDecidesTheCallback()
{
    QFETCH(QByteArray, answer);
    ScriptedServer srv;
    srv.setDefault(Reply::raw(answer));
    TNMHTTP nmh;
    const Result r = get(nmh, srv.url("/x"));
    QCOMPARE(r.error, QString());
    QTEST(nmh.StatusCode(), "status");
    QTEST(r.successes, "successes");
    QTEST(r.failures, "failures");
    QTEST(nmh.Body, "body");
}

void TestNmHttp::bodyIsExact_data()
{
    // pieceSize: 0: all at once
    zv::test::columns<QByteArray, int>("body", "pieceSize");
    zv::test::row("ok and a line break", QByteArray("ok\r\n"), 0);
    zv::test::row("line breaks only", QByteArray("\r\n\r\n\n"), 0);
    zv::test::row("one byte at a time", QByteArray("a|b|c\r\nd|e\r\n"), 1);
    zv::test::row(
        "every byte value",
        [] {
            QByteArray all;
            for (int i = 0; i < 256; ++i)
                all += char(i);
            return all + all;
        }(),
        37);
    zv::test::row("Windows-1252", QByteArray("Th\xe9\xe2tre \x80 \x9c\x92"), 3);
    zv::test::row("empty", QByteArray(), 0);
}

void TestNmHttp::bodyIsExact()
{
    QFETCH(QByteArray, body);
    QFETCH(int, pieceSize);
    ScriptedServer srv;
    Reply reply = Reply::ok(body);
    if (pieceSize > 0)
        reply.inPieces(pieceSize, 5);
    srv.setDefault(reply);
    TNMHTTP nmh;
    QByteArray seenInHandler;
    nmh.OnSuccess = [&](int) { seenInHandler = nmh.Body; };
    try {
        nmh.Get(srv.url("/"));
    } catch (const zv::Error& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(seenInHandler, body);
    QCOMPARE(nmh.Body, body);
    QCOMPARE(nmh.BytesReceived, qint64(body.size()));
    QCOMPARE(nmh.BytesExpected, qint64(body.size()));
}

void TestNmHttp::headerHoldsTheHead()
{
    ScriptedServer srv;
    srv.setDefault(Reply::raw("HTTP/1.0 200 OK\r\nServer: essai\nX-Vide:\r\n\r\ncorps"));
    TNMHTTP nmh;
    get(nmh, srv.url("/"));
    QCOMPARE(nmh.Header, QByteArray("HTTP/1.0 200 OK\r\nServer: essai\r\nX-Vide:\r\n"));
    QCOMPARE(nmh.Body, QByteArray("corps"));
    QCOMPARE(nmh.BytesExpected, qint64(0));
}

void TestNmHttp::announcedLengthCostsNothingUntilItArrives()
{
    ScriptedServer srv;
    srv.setDefault(
        Reply::raw("HTTP/1.0 200 OK\r\nContent-Length: 268435456\r\n\r\n" + QByteArray(300000, 'a'))
            .inPieces(50000, 5));
    TNMHTTP nmh;
    qsizetype room = 0;
    nmh.OnPacketRecvd = [&] { room = std::max(room, nmh.Body.capacity()); };
    QCOMPARE(get(nmh, srv.url("/")).error, QStringLiteral("Capture de Socket abandonnée"));
    QVERIFY2(room <= 2 * 300000 + 64 * 1024, qPrintable(QString::number(room)));
}

void TestNmHttp::redirects_data()
{
    // location: "@" stands for 127.0.0.1:PORT
    zv::test::columns<int, QByteArray>("code", "location");
    zv::test::row("301 absolute", 301, QByteArray("http://@/final"));
    zv::test::row("302 absolute", 302, QByteArray("http://@/final"));
    zv::test::row("300", 300, QByteArray("http://@/final"));
    zv::test::row("302 no slash", 302, QByteArray("final"));
    zv::test::row("302 path", 302, QByteArray("/final"));
    zv::test::row("302 without scheme", 302, QByteArray("@/final"));
    zv::test::row("307", 307, QByteArray("/final"));
}

void TestNmHttp::redirects()
{
    QFETCH(int, code);
    QFETCH(QByteArray, location);
    ScriptedServer srv;
    location.replace("@", srv.hostPort());
    srv.on("/start", Reply::redirect(code, location));
    srv.on("/final", Reply::ok("arrivé"));
    TNMHTTP nmh;
    int packets = 0;
    int aboutToSend = 0;
    nmh.OnPacketRecvd = [&] { ++packets; };
    nmh.OnAboutToSend = [&](QList<QByteArray>&) { ++aboutToSend; };
    const Result r = get(nmh, srv.url("/start"));
    QCOMPARE(r.error, QString());
    QCOMPARE(r.successes, 1);
    QCOMPARE(r.failures, 0);
    QCOMPARE(nmh.Body, QByteArray("arrivé"));
    QCOMPARE(nmh.StatusCode(), 200);
    QCOMPARE(packets, 1); // the redirect's own body is not reported
    QCOMPARE(aboutToSend, 2);
    QCOMPARE(srv.requests().size(), 2);
    QCOMPARE(srv.requests()[1].path, QByteArray("/final"));
    QCOMPARE(srv.requests()[1].header("Host"), srv.hostPort());
}

void TestNmHttp::redirectCarriesCookies()
{
    ScriptedServer srv;
    srv.on("/a", Reply::redirect(302, "/b").withHeader("Set-Cookie: session=42; path=/"));
    srv.on("/b", Reply::ok("fin"));
    TNMHTTP nmh;
    const Result r = get(nmh, srv.url("/a"));
    QCOMPARE(r.successes, 1);
    QCOMPARE(srv.requests()[0].header("Cookie"), QByteArray());
    QCOMPARE(srv.requests()[1].header("Cookie"), QByteArray("session=42"));
}

void TestNmHttp::redirectChainIsBounded()
{
    ScriptedServer srv;
    for (int i = 0; i < 20; ++i)
        srv.on("/r" + QByteArray::number(i), Reply::redirect(302, "/r" + QByteArray::number(i + 1)));
    srv.on("/r10", Reply::ok("dixième"));
    TNMHTTP nmh;
    Result r = get(nmh, srv.url("/r0")); // ten redirects are followed
    QCOMPARE(r.error, QString());
    QCOMPARE(nmh.Body, QByteArray("dixième"));

    srv.on("/r10", Reply::redirect(302, "/r11")); // an eleventh is not
    srv.clearRequests();
    r = get(nmh, srv.url("/r0"));
    QCOMPARE(r.error, QStringLiteral("Trop de redirections"));
    QCOMPARE(r.successes + r.failures, 0);
    QCOMPARE(srv.requests().size(), TNMHTTP::MaxRedirects + 1);
}

void TestNmHttp::redirectToAnotherServer()
{
    ScriptedServer first;
    ScriptedServer second;
    second.on("/ici", Reply::ok("ailleurs"));
    first.on("/", Reply::redirect(302, "http://" + second.hostPort() + "/ici"));
    first.on("/https", Reply::redirect(302, "https://" + second.hostPort() + "/ici"));
    TNMHTTP nmh;
    Result r = get(nmh, first.url("/"));
    QCOMPARE(nmh.Body, QByteArray("ailleurs"));
    QCOMPARE(second.requests().value(0).header("Host"), second.hostPort());
    r = get(nmh, first.url("/https"));
    QCOMPARE(r.error, QStringLiteral("HTTP Secure Socket is not supported"));
}

void TestNmHttp::fileMode_data()
{
    zv::test::columns<qint64, bool>("size", "withLength");
    zv::test::row("with length", qint64(3 * 1024 * 1024 + 17), true);
    zv::test::row("without length", qint64(3 * 1024 * 1024 + 17), false);
    zv::test::row("empty", qint64(0), true);
    zv::test::row("no limit but the disk's", TNMHTTP::MaxTextBody / 8, true);
}

void TestNmHttp::fileMode()
{
    QFETCH(qint64, size);
    QFETCH(bool, withLength);
    ScriptedServer srv;
    srv.setDefault(Reply::generated(size, withLength));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("morceau é.mp3"));
    {
        QFile old(path); // an older, longer file is replaced
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(size + 1000, 'o'));
    }
    TNMHTTP nmh;
    nmh.InputFileMode = true;
    nmh.Body = path.toUtf8();
    qint64 biggestChunk = 0;
    qint64 last = 0;
    qint64 expectedSeen = -1;
    nmh.OnPacketRecvd = [&] {
        biggestChunk = std::max(biggestChunk, nmh.BytesReceived - last);
        last = nmh.BytesReceived;
        expectedSeen = nmh.BytesExpected;
    };
    const Result r = get(nmh, srv.url("/fichier.mp3"));
    QCOMPARE(r.error, QString());
    QCOMPARE(r.successes, 1);
    QCOMPARE(nmh.Body, path.toUtf8()); // Body keeps the file name
    QCOMPARE(nmh.BytesReceived, size);
    QCOMPARE(nmh.BytesExpected, withLength ? size : 0);
    if (size > 0)
        QCOMPARE(expectedSeen, withLength ? size : 0);
    QVERIFY(biggestChunk <= 64 * 1024);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), size);
    QVERIFY(file.readAll() == generated(size));
}

void TestNmHttp::fileModeWritesAsItArrives()
{
    ScriptedServer srv;
    srv.setDefault(Reply::ok(generated(4000)).inPieces(1000, 20));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flux.bin"));
    TNMHTTP nmh;
    nmh.InputFileMode = true;
    nmh.Body = path.toUtf8();
    QList<qint64> onDisk;
    QList<qint64> received;
    nmh.OnPacketRecvd = [&] {
        onDisk << QFileInfo(path + QStringLiteral(".part")).size();
        received << nmh.BytesReceived;
    };
    const Result r = get(nmh, srv.url("/"));
    QCOMPARE(r.successes, 1);
    QVERIFY(received.size() >= 2);
    QCOMPARE(onDisk, received); // each chunk is on disk when it is reported
    QVERIFY(QFile::exists(path) && !QFile::exists(path + QStringLiteral(".part")));
}

void TestNmHttp::fileModeUnwritableFile()
{
    ScriptedServer srv;
    srv.setDefault(Reply::ok("x"));
    QTemporaryDir dir;
    TNMHTTP nmh;
    nmh.InputFileMode = true;
    nmh.Body = QFile::encodeName(dir.filePath(QStringLiteral("absent/f.mp3")));
    const Result r = get(nmh, srv.url("/"));
    QVERIFY(r.error.startsWith(QStringLiteral("Impossible d'écrire le fichier")));
    QCOMPARE(r.successes + r.failures, 0);
    QVERIFY(!nmh.Busy());
}

// A download cut half-way, over a file the user already had, then fetched
// again: the old file stays whole until the new one is, and the second request
// asks only for the rest when the server can prove it is the same file.
void TestNmHttp::fileModeResumes_data()
{
    // validators: header lines of the first answer
    // server: how the second request is answered
    // ifRange: what the second request checks; empty: no range asked
    // resumed: the rest only came
    zv::test::columns<QByteArray, QByteArray, QByteArray, bool>("validators", "server", "ifRange", "resumed");
    const QByteArray etag = "ETag: \"v1\"\r\n";
    const QByteArray date = "Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n";
    zv::test::row("rest served", etag + date, QByteArray("range"), QByteArray("\"v1\""), true);
    zv::test::row("date only", date, QByteArray("range"), QByteArray("Tue, 08 Dec 2026 10:00:00 GMT"), true);
    zv::test::row("ranges ignored", etag, QByteArray("whole"), QByteArray("\"v1\""), false);
    zv::test::row("file changed", etag, QByteArray("changed"), QByteArray("\"v1\""), false);
    zv::test::row("wrong range", etag, QByteArray("wrong-range"), QByteArray("\"v1\""), false);
    zv::test::row("range refused", etag, QByteArray("unsatisfiable"), QByteArray("\"v1\""), false);
    zv::test::row("part longer than the file", etag, QByteArray("whole, part grown"), QByteArray(), false);
    zv::test::row("weak tag", QByteArray("ETag: W/\"v1\"\r\n"), QByteArray("whole"), QByteArray(), false);
    zv::test::row("no validator", QByteArray(), QByteArray("whole"), QByteArray(), false);
}

void TestNmHttp::fileModeResumes()
{
    QFETCH(QByteArray, validators);
    QFETCH(QByteArray, server);
    QFETCH(QByteArray, ifRange);
    QFETCH(bool, resumed);
    const qint64 size = 200000;
    const qint64 cut = 80000;
    const QByteArray first = generated(size);
    QByteArray changed = first;
    std::reverse(changed.begin(), changed.end());
    const QByteArray expected = server == "changed" ? changed : first;

    const auto answer = [](const QByteArray& status, const QByteArray& headers, const QByteArray& body) {
        return Reply::raw("HTTP/1.0 " + status + "\r\n" + headers + "\r\n" + body);
    };
    QList<Request> asked;
    qint64 served = 0; // body bytes of the answers after the first
    ScriptedServer srv;
    srv.setResponder([&](const Request& r) -> std::optional<Reply> {
        asked << r;
        const QByteArray length = "Content-Length: " + QByteArray::number(size) + "\r\n";
        if (asked.size() == 1) {
            const QByteArray shown = validators + length;
            const qsizetype head = QByteArray("HTTP/1.0 200 OK\r\n\r\n").size() + shown.size();
            return answer("200 OK", shown, first).closeAfter(head + cut);
        }
        const bool ranged = !r.header("Range").isEmpty();
        if (server == "range" && ranged && r.header("If-Range") == ifRange) {
            served += size - cut;
            return answer("206 Partial Content",
                validators + "Content-Range: bytes " + QByteArray::number(cut) + "-"
                    + QByteArray::number(size - 1) + "/" + QByteArray::number(size) + "\r\n",
                first.mid(cut));
        }
        if (server == "wrong-range" && ranged)
            return answer("206 Partial Content",
                "Content-Range: bytes 0-99/" + QByteArray::number(size) + "\r\n", first.left(100));
        if (server == "unsatisfiable" && ranged)
            return answer("416 Range Not Satisfiable", "Content-Range: bytes */1000\r\n", "trop loin");
        served += size;
        return answer("200 OK", (server == "changed" ? "ETag: \"v2\"\r\n" : validators) + length, expected);
    });

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chanson.mp3"));
    const QByteArray old = "la chanson que l'utilisateur avait déjà";
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    const auto onDisk = [](const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    };
    TNMHTTP nmh;
    nmh.InputFileMode = true;
    nmh.Body = path.toUtf8();
    const QByteArray url = srv.url("/media/chanson.mp3");

    Result r = get(nmh, url);
    QCOMPARE(r.error, QStringLiteral("Envoi de Socket abandonné"));
    QCOMPARE(onDisk(path), old);
    QVERIFY(onDisk(path + QStringLiteral(".part")) == first.left(cut));
    if (server.endsWith("part grown")) {
        QFile part(path + QStringLiteral(".part"));
        QVERIFY(part.open(QIODevice::Append));
        part.write(QByteArray(size, 'x'));
    }

    r = get(nmh, url);
    QCOMPARE(r.error, QString());
    QCOMPARE(r.successes, 1);
    QVERIFY(onDisk(path) == expected);
    QVERIFY(!QFile::exists(path + QStringLiteral(".part")));
    QCOMPARE(asked.value(1).header("If-Range"), ifRange);
    QCOMPARE(asked.value(1).header("Range"),
        ifRange.isEmpty() ? QByteArray() : "bytes=" + QByteArray::number(cut) + "-");
    QCOMPARE(served, resumed ? size - cut : size);
    QCOMPARE(nmh.BytesReceived, size);
    QCOMPARE(nmh.BytesExpected, size);
    // A restart from zero asks without a range.
    if (asked.size() > 2)
        QCOMPARE(asked.last().header("Range"), QByteArray());

    // Done: the same address again is a whole new download.
    asked.clear();
    get(nmh, url);
    QCOMPARE(asked.value(0).header("Range"), QByteArray());
}

void TestNmHttp::destroyedWhileWaiting_data()
{
    zv::test::columns<QByteArray, bool>("phase", "viaOwner");
    zv::test::row("looking up", QByteArray("lookup"), false);
    zv::test::row("connecting", QByteArray("connect"), false);
    zv::test::row("reading", QByteArray("read"), false);
    zv::test::row("reading, owner destroyed", QByteArray("read"), true);
    zv::test::row("file mode, reading", QByteArray("read-file"), false);
}

void TestNmHttp::destroyedWhileWaiting()
{
    QFETCH(QByteArray, phase);
    QFETCH(bool, viaOwner);
    ScriptedServer srv;
    srv.setDefault(Reply::ok(QByteArray(100, 'x')).inPieces(40, 60000));
    BlackHole hole;
    TNMHTTP::setHostLookup([](const QString&, QObject*, auto) {}); // never answers
    QTemporaryDir dir;

    auto* owner = new QObject;
    QPointer<TNMHTTP> nmh = new TNMHTTP(owner);
    nmh->TimeOut = 0;
    nmh->InputFileMode = phase == "read-file";
    if (nmh->InputFileMode)
        nmh->Body = QFile::encodeName(dir.filePath(QStringLiteral("f")));
    bool callback = false;
    nmh->OnSuccess = [&](int) { callback = true; };
    nmh->OnFailure = [&](int) { callback = true; };
    later(200, this, [&] {
        if (viaOwner)
            delete owner;
        else
            delete nmh.data();
    });
    QByteArray url = phase == "lookup" ? QByteArray("nulle-part.test/x")
        : phase == "connect"           ? hole.hostPort() + "/x"
                                       : srv.url("/x");
    bool aborted = false;
    QString error;
    try {
        nmh->Get(url);
    } catch (const zv::Abort&) {
        aborted = true;
    } catch (const zv::Error& e) {
        error = e.message();
    }
    QCOMPARE(error, QString());
    QVERIFY(aborted);
    QVERIFY(nmh.isNull());
    QVERIFY(!callback);
    if (!viaOwner)
        delete owner;
    QTRY_COMPARE(srv.openConnections(), 0);
}

void TestNmHttp::destroyedInACallback_data()
{
    QTest::addColumn<QByteArray>("callback");
    zv::test::row("about to send", QByteArray("about"));
    zv::test::row("packet", QByteArray("packet"));
    zv::test::row("success", QByteArray("success"));
}

void TestNmHttp::destroyedInACallback()
{
    QFETCH(QByteArray, callback);
    ScriptedServer srv;
    srv.setDefault(Reply::ok(QByteArray(300, 'y')).inPieces(100, 10));
    TNMHTTP* nmh = new TNMHTTP;
    int packets = 0;
    if (callback == "about")
        nmh->OnAboutToSend = [&](QList<QByteArray>&) { delete nmh; };
    if (callback == "packet")
        nmh->OnPacketRecvd = [&] {
            ++packets;
            delete nmh;
        };
    if (callback == "success")
        nmh->OnSuccess = [&](int) { delete nmh; };
    bool aborted = false;
    try {
        nmh->Get(srv.url("/"));
    } catch (const zv::Abort&) {
        aborted = true;
    }
    QVERIFY(aborted);
    if (callback == "packet")
        QCOMPARE(packets, 1);
    QTRY_COMPARE(srv.openConnections(), 0);
}

void TestNmHttp::callbackErrorLeavesGetWhenIdle()
{
    ScriptedServer srv;
    srv.setDefault(Reply::ok("réponse"));
    TNMHTTP nmh;
    bool busyInHandler = false;
    nmh.OnSuccess = [&](int) {
        busyInHandler = nmh.Busy();
        throw zv::Error(QStringLiteral("Réponse illisible"));
    };
    QString error;
    try {
        nmh.Get(srv.url("/a"));
    } catch (const zv::Error& e) {
        error = e.message();
        QVERIFY(!nmh.Busy());
    }
    QCOMPARE(error, QStringLiteral("Réponse illisible"));
    QVERIFY(busyInHandler);
    QCOMPARE(srv.openConnections(), 0);

    nmh.OnSuccess = nullptr; // the component is reusable
    nmh.Get(srv.url("/b"));
    QCOMPARE(nmh.Body, QByteArray("réponse"));
}

void TestNmHttp::twoRequestsInARow()
{
    ScriptedServer srv;
    srv.on("/un", Reply::ok("premier, plus long"));
    srv.on("/deux", Reply::ok("second").delayed(50));
    TNMHTTP nmh;
    QStringList order;
    nmh.OnSuccess = [&](int) { order << QString::fromUtf8(nmh.Body); };
    nmh.Get(srv.url("/un"));
    order << QStringLiteral("entre");
    nmh.Get(srv.url("/deux"));
    QCOMPARE(order, (QStringList{"premier, plus long", "entre", "second"}));
}

void TestNmHttp::serverInAnotherProcess()
{
    const QString program
        = qEnvironmentVariable("ZV_BINARY_DIR") + QStringLiteral("/tests/support/zv_scripted_server");
    if (!QFileInfo(program).isExecutable())
        QSKIP("zv_scripted_server is not built");
    QProcess server;
    server.start(program, {});
    QVERIFY(server.waitForStarted());
    auto stop = qScopeGuard([&] {
        server.kill();
        server.waitForFinished();
    });
    QTRY_VERIFY(server.canReadLine());
    const QByteArray port = server.readLine().trimmed();
    TNMHTTP nmh;
    nmh.TimeOut = 10000;
    const Result r = get(nmh, "127.0.0.1:" + port + "/gen?n=100000&len=0");
    QCOMPARE(r.error, QString());
    QCOMPARE(nmh.Body, generated(100000));
    QCOMPARE(nmh.BytesExpected, qint64(0));
}

QTEST_GUILESS_MAIN(TestNmHttp)
#include "tst_nmhttp.moc"
