// The fetch component against every way a server or the network can fail, one
// row each: the outcome callers rely on, never a hang, and the window that owns
// the component stays usable: its buttons answer while the request waits and
// after it, and the same component then fetches a sound answer.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "support/scriptedserver.h"
#include "support/table.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using zv::test::Reply;
using zv::test::ScriptedServer;

Q_DECLARE_METATYPE(zv::test::Reply)

namespace {

enum Callback { NoCallback, Success, Failure };

// A window as the program's windows are: buttons, and a component it owns
// whose request runs from a button's handler, errors shown by the default
// error handler.
struct Window {
    QWidget widget;
    QPushButton* fetch = new QPushButton(QStringLiteral("Charger"), &widget);
    QPushButton* other = new QPushButton(QStringLiteral("Autre"), &widget);
    TNMHTTP* nmh = new TNMHTTP(&widget);
    QByteArray url;
    QStringList errors;
    int successes = 0;
    int failures = 0;
    int otherClicks = 0;

    Window()
    {
        other->move(0, 40);
        nmh->OnSuccess = [this](int) { ++successes; };
        nmh->OnFailure = [this](int) { ++failures; };
        QObject::connect(
            fetch, &QPushButton::clicked, &widget, [this] { zv::guarded([this] { nmh->Get(url); }); });
        QObject::connect(other, &QPushButton::clicked, &widget, [this] { ++otherClicks; });
        zv::setErrorReporter([this](const QString& message) { errors << message; });
        widget.show();
    }
    ~Window() { zv::setErrorReporter({}); }
};

} // namespace

class TestNmHttpFaults : public QObject {
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
};

void TestNmHttpFaults::faults_data()
{
    // target: "@": the scripted server; "closed": a port nobody listens on
    // error: shown by the default error handler; empty: none
    // body: Body after a callback
    zv::test::columns<QByteArray, Reply, int, QString, int, QByteArray>(
        "target", "reply", "timeOut", "error", "callback", "body");

    const QString cut = QStringLiteral("Capture de Socket abandonnée");
    const QString tooBig = QStringLiteral("Réponse trop volumineuse");
    const QByteArray page = "<html><body>Introuvable</body></html>\r\n";
    const QByteArray drip = "a|b|c\r\nd|e\r\nTh\xe9\xe2tre\r\n";
    const Reply none = Reply::ok("");
    const QByteArray at = "@";

    zv::test::row("refused", QByteArray("closed"), none, 0, QStringLiteral("La connection a échoué"),
        int(NoCallback), QByteArray());
    zv::test::row("unresolvable", QByteArray("portail.zevalo.invalid/exe/x"), none, 0,
        QStringLiteral("Adresse distante nulle"), int(NoCallback), QByteArray());
    zv::test::row("silent after connect", at, Reply::never(), 300, cut, int(NoCallback), QByteArray());
    zv::test::row("silent mid-body", at, Reply::ok(QByteArray(200, 'x')).inPieces(80, 60000), 300, cut,
        int(NoCallback), QByteArray());
    zv::test::row("closed at once", at, Reply::raw({}), 0, cut, int(NoCallback), QByteArray());
    zv::test::row("closed in the head", at, Reply::raw("HTTP/1.0 200 OK\r\nContent-Len"), 0, cut,
        int(NoCallback), QByteArray());
    zv::test::row("reset mid-body", at, Reply::ok(QByteArray(1000, 'b')).closeAfter(500).withReset(), 0, cut,
        int(NoCallback), QByteArray());
    zv::test::row("reset after the whole body", at, Reply::ok("tout").withReset(), 0, QString(), int(Success),
        QByteArray("tout"));
    // Every wait is shorter than the time-out, the whole far longer.
    zv::test::row("1-byte drip", at, Reply::ok(drip).inPieces(1, 25), 400, QString(), int(Success), drip);
    zv::test::row("404 page", at,
        Reply::raw("HTTP/1.0 404 Not Found\r\nContent-Length: " + QByteArray::number(page.size()) + "\r\n\r\n"
            + page),
        0, QString(), int(Failure), page);
    zv::test::row("redirect loop", at, Reply::redirect(301, "/boucle"), 0,
        QStringLiteral("Trop de redirections"), int(NoCallback), QByteArray());
    zv::test::row("endless body", at, Reply::generated(qint64(1) << 50, false), 0, tooBig, int(NoCallback),
        QByteArray());
    zv::test::row("announced length over the limit", at, Reply::generated(TNMHTTP::MaxTextBody + 1), 0,
        tooBig, int(NoCallback), QByteArray());
    zv::test::row("garbage head lines", at, Reply::raw("\x01\x02\xff\r\n:::\r\n\x80\x81\r\n\r\nz"), 0,
        QString(), int(Failure), QByteArray("z"));
    zv::test::row("garbage without lines", at, Reply::raw(QByteArray("\x00\xff\x13garbage", 10)), 0, cut,
        int(NoCallback), QByteArray());
    zv::test::row("oversized head", at, Reply::raw("HTTP/1.0 200 OK\r\n" + QByteArray(2 * 1024 * 1024, 'h')),
        0, tooBig, int(NoCallback), QByteArray());
    zv::test::row("Content-Length above what comes, closed", at,
        Reply::ok(QByteArray(1000, 'b')).closeAfter(500), 0, cut, int(NoCallback), QByteArray());
    zv::test::row("Content-Length below what comes", at,
        Reply::raw("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabcd"), 0, QString(), int(Success),
        QByteArray("abcd"));
    zv::test::row("no length, closed mid-body", at, Reply::raw("HTTP/1.0 200 OK\r\n\r\npartial"), 0,
        QString(), int(Success), QByteArray("partial"));
    zv::test::row(
        "head only", at, Reply::raw("HTTP/1.0 200 OK\r\n\r\n"), 0, QString(), int(Success), QByteArray());
}

void TestNmHttpFaults::faults()
{
    QFETCH(QByteArray, target);
    QFETCH(Reply, reply);
    QFETCH(int, timeOut);
    QFETCH(int, callback);
    ScriptedServer srv;
    srv.setDefault(reply);
    srv.on("/bon", Reply::ok("bon"));
    quint16 closedPort = 0;
    {
        ScriptedServer gone;
        closedPort = gone.port();
    }
    Window w;
    w.nmh->TimeOut = timeOut;
    w.url = target == "@"    ? srv.url("/exe/x")
        : target == "closed" ? "127.0.0.1:" + QByteArray::number(closedPort) + "/exe/x"
                             : target;

    // The other button is pressed all along; a request that never ends is
    // stopped after a long while and fails the row.
    QTimer presser;
    connect(&presser, &QTimer::timeout, w.other, [&] { QTest::mouseClick(w.other, Qt::LeftButton); });
    presser.start(50);
    bool hung = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, w.nmh, [&] {
        hung = true;
        w.nmh->Abort();
    });
    watchdog.start(60000);
    QTest::mouseClick(w.fetch, Qt::LeftButton);
    watchdog.stop();
    presser.stop();
    QVERIFY2(!hung, "the request never ended");
    if (timeOut > 0) // it waited at least that long: the window answered meanwhile
        QVERIFY(w.otherClicks > 0);
    QVERIFY(!w.nmh->Busy());

    QFETCH(QString, error);
    QCOMPARE(w.errors, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(w.successes, callback == Success ? 1 : 0);
    QCOMPARE(w.failures, callback == Failure ? 1 : 0);
    if (callback != NoCallback)
        QTEST(w.nmh->Body, "body");
    QVERIFY(srv.requests().size() <= TNMHTTP::MaxRedirects + 1);
    QTRY_COMPARE(srv.openConnections(), 0);

    // Usable afterwards.
    const int clicks = w.otherClicks;
    QTest::mouseClick(w.other, Qt::LeftButton);
    QCOMPARE(w.otherClicks, clicks + 1);
    w.url = srv.url("/bon");
    w.errors.clear();
    QTest::mouseClick(w.fetch, Qt::LeftButton);
    QCOMPARE(w.errors, QStringList());
    QCOMPARE(w.nmh->Body, QByteArray("bon"));
}

QTEST_MAIN(TestNmHttpFaults)
#include "tst_nmhttp_faults.moc"
