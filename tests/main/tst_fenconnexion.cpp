// The connection test window against a scripted portal on loopback.
#include "portal/nmhttp.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/windows/fenconnexion.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace zv::test;

class TestFenConnexion : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedServer> server;

    int attemptsAt(const QByteArray& path = "/exe/test_connexion.php") const
    {
        int n = 0;
        for (const Request& r : server->requests())
            n += r.path == path;
        return n;
    }

private slots:
    void init()
    {
        server = std::make_unique<ScriptedServer>();
        qputenv("ZEVALO_PORTAL_HOST", server->hostPort());
    }
    void cleanup() { server.reset(); }

    void looks()
    {
        TfmConnexion d;
        QCOMPARE(d.size(), QSize(258, 105));
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(d.lblConnexion->text(), QStringLiteral("Connexion en cours..."));
        QCOMPARE(d.btnAnnuler->text(), QStringLiteral("Annuler"));
        QCOMPARE(d.nmhTest->TimeOut, 5000);
        QCOMPARE(d.shpLigne->height(), 3);
    }

    void exactOkPasses()
    {
        server->on("/exe/test_connexion.php", Reply::ok("ok", "text/plain"));
        TfmConnexion d;
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(attemptsAt(), 1);
        QCOMPARE(
            server->requests().first().raw.left(38), QByteArray("GET /exe/test_connexion.php HTTP/1.0\r\n"));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("answer");
        zv::test::row("ok crlf", QByteArray("ok\r\n"));
        zv::test::row("OK", QByteArray("OK"));
        zv::test::row("space", QByteArray(" ok"));
        zv::test::row("empty", QByteArray());
        zv::test::row("ok then text", QByteArray("okay"));
    }
    void refusals()
    {
        QFETCH(QByteArray, answer);
        server->on("/exe/test_connexion.php", Reply::ok(answer, "text/plain"));
        QList<qint64> times;
        QElapsedTimer clock;
        clock.start();
        connect(server.get(), &ScriptedServer::requestReceived, this, [&] { times << clock.elapsed(); });
        TfmConnexion d;
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, &d, [&] {
            if (attemptsAt() >= 3)
                d.btnAnnuler->click();
        });
        cancel.start(20);
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QCOMPARE(attemptsAt(), 3);
        // Two seconds after the previous attempt ended (never sooner).
        QVERIFY(times.size() == 3);
        QVERIFY(times[1] - times[0] >= 1900);
        QVERIFY(times[2] - times[1] >= 1900);
    }

    void a404IsNoPass()
    {
        server->on("/exe/test_connexion.php", Reply::status(404, "ok"));
        TfmConnexion d;
        QTimer::singleShot(2800, &d, [&] { d.reject(); });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QCOMPARE(attemptsAt(), 2);
    }

    void noServerRetries()
    {
        const QByteArray host = server->hostPort();
        server.reset(); // nothing listens there any more
        qputenv("ZEVALO_PORTAL_HOST", host);
        TfmConnexion d;
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, &d, [&] {
            if (d.attempts() >= 2)
                d.reject();
        });
        cancel.start(20);
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        server = std::make_unique<ScriptedServer>();
    }

    void cancelWhileWaiting()
    {
        // A portal that never answers and no time-out: only cancelling can end
        // the wait, and it must.
        server->on("/exe/test_connexion.php", Reply::never());
        TfmConnexion d;
        d.nmhTest->TimeOut = 0;
        connect(server.get(), &ScriptedServer::requestReceived, &d,
            [&] { QTimer::singleShot(100, &d, [&] { d.btnAnnuler->click(); }); });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QVERIFY(!d.nmhTest->Busy());
        QCOMPARE(attemptsAt(), 1);
    }

    void answerAfterRetry()
    {
        int n = 0;
        server->setResponder([&](const Request&) -> std::optional<Reply> {
            return ++n < 2 ? Reply::ok("non", "text/plain") : Reply::ok("ok", "text/plain");
        });
        TfmConnexion d;
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(n, 2);
    }
};

QTEST_MAIN(TestFenConnexion)
#include "tst_fenconnexion.moc"
