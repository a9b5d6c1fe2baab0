// A request that waits when the application quits ends silently instead of
// keeping the program alive. Its own program: after a quit no event loop of the
// process runs again.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "support/scriptedserver.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

class TestNmHttpQuit : public QObject {
    Q_OBJECT
private slots:
    void quitEndsTheWait();
};

void TestNmHttpQuit::quitEndsTheWait()
{
    zv::test::ScriptedServer srv;
    srv.setDefault(zv::test::Reply::never());
    TNMHTTP nmh;
    QTimer::singleShot(100, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    bool aborted = false;
    try {
        nmh.Get(srv.url("/jamais"));
    } catch (const zv::Abort&) {
        aborted = true;
    }
    QVERIFY(aborted);
    QVERIFY(!nmh.Busy());

    // Later requests of a quitting program end at once too.
    aborted = false;
    try {
        nmh.Get(srv.url("/encore"));
    } catch (const zv::Abort&) {
        aborted = true;
    } catch (const zv::Error&) {
    }
    QVERIFY(aborted);
}

QTEST_GUILESS_MAIN(TestNmHttpQuit)
#include "tst_nmhttp_quit.moc"
