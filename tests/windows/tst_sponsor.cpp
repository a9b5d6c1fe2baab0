// The sponsor window against a scripted loopback portal with real banner pages.
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/windows/fensponsor.h"

#include <QFrame>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

using namespace zv::test;

namespace {

QByteArray bannerPage(const QByteArray& name)
{
    return "<html><body style='margin:0;background:#ffd700'><a id='go' target='_blank' "
           "href='http://example.invalid/"
        + name + "'>" + name + "</a></body></html>";
}

} // namespace

class TestSponsor : public MainWindowTest {
    Q_OBJECT

    void setUp() override
    {
        rig->server.on(
            "/exe/cont.php?c=urlspons1", Reply::ok("http://" + rig->server.hostPort() + "/banniere1.htm"));
        // As server scripts write it: the address, then a line break.
        rig->server.on("/exe/cont.php?c=urlspons2",
            Reply::ok("http://" + rig->server.hostPort() + "/banniere2.htm \r\n"));
        rig->server.on("/banniere1.htm", Reply::ok(bannerPage("un")));
        rig->server.on("/banniere2.htm", Reply::ok(bannerPage("deux")));
    }

private slots:
    void layoutOfTheBaseForm()
    {
        TfmSponsor dlg;
        QCOMPARE(dlg.size(), QSize(483, 218));
        QCOMPARE(dlg.panSponsor1->size(), QSize(468, 60));
        QCOMPARE(dlg.panSponsor2->size(), QSize(468, 60));
        QCOMPARE(dlg.wbSponsor1->geometry(), QRect(-2, -2, 472, 600));
        QVERIFY(dlg.panSponsor1->geometry().bottom() < dlg.panSponsor2->geometry().top());
        QCOMPARE(dlg.btnQuitter->Caption(), QStringLiteral("Quitter le logiciel"));
        QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
    }

    void bannersRequestedInOrderAndShown()
    {
        TfmSponsorTheme2 dlg;
        QSignalSpy loaded1(dlg.wbSponsor1, &TWebBrowser::DocumentComplete);
        QSignalSpy loaded2(dlg.wbSponsor2, &TWebBrowser::DocumentComplete);
        dlg.open();
        QTRY_VERIFY_WITH_TIMEOUT(loaded1.count() > 0 && loaded2.count() > 0, 30000);
        const int first = rig->indexOf("/exe/cont.php?c=urlspons1");
        const int second = rig->indexOf("/exe/cont.php?c=urlspons2");
        QVERIFY(first >= 0);
        QVERIFY(second > first);
        QCOMPARE(dlg.wbSponsor1->url().path(), QStringLiteral("/banniere1.htm"));
        QCOMPARE(dlg.wbSponsor2->url().path(), QStringLiteral("/banniere2.htm"));
        QVERIFY(dlg.isVisible());
        QVERIFY(rig->errors.isEmpty());
    }

    void bannerClickLetsTheUserGoOn()
    {
        TfmSponsorTheme4 dlg;
        QSignalSpy loaded(dlg.wbSponsor2, &TWebBrowser::DocumentComplete);
        dlg.open();
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, 30000);
        // The page asks for a new window, as a click on a banner does.
        dlg.wbSponsor2->page()->runJavaScript(QStringLiteral("window.open('http://example.invalid/deux')"));
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 20000);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QTRY_VERIFY_WITH_TIMEOUT(!rig->opened.isEmpty(), 10000);
        QCOMPARE(rig->opened.first().host(), QStringLiteral("example.invalid"));
    }

    void quitButtonLeaves()
    {
        TfmSponsorTheme1 dlg;
        dlg.open();
        QTRY_VERIFY_WITH_TIMEOUT(rig->indexOf("/exe/cont.php?c=urlspons2") >= 0, 20000);
        emit dlg.btnQuitter->clicked();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void quitWhileABannerRequestHangs()
    {
        // The first banner request never gets an answer; quitting must still end
        // the window, silently, and the second request is never sent. The wait
        // runs in a nested loop, so the click comes from a timer inside it.
        rig->server.on("/exe/cont.php?c=urlspons1", Reply::never());
        TfmSponsorTheme3 dlg;
        QTimer poke;
        bool clicked = false;
        connect(&poke, &QTimer::timeout, [&] {
            if (!clicked && dlg.nmhSponsor1->Busy()) {
                clicked = true;
                emit dlg.btnQuitter->clicked();
            }
        });
        poke.start(20);
        dlg.open();
        QTRY_VERIFY_WITH_TIMEOUT(clicked && !dlg.nmhSponsor1->Busy(), 20000);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QTest::qWait(200);
        QCOMPARE(rig->indexOf("/exe/cont.php?c=urlspons2"), -1);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void escapeDoesNotQuit()
    {
        TfmSponsorTheme5 dlg;
        dlg.open();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        emit dlg.btnQuitter->clicked();
    }

    void failedBannerRequestIsReportedAndTheWindowStays()
    {
        qputenv("ZEVALO_PORTAL_HOST", "127.0.0.1:1");
        TfmSponsorTheme2 dlg;
        dlg.open();
        QTRY_VERIFY_WITH_TIMEOUT(!rig->errors.isEmpty(), 20000);
        QCOMPARE(rig->errors.size(), 1); // both failed, shown once
        QVERIFY(dlg.isVisible());
        emit dlg.btnQuitter->clicked();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void firstBannerFailsTheSecondIsStillShown()
    {
        rig->server.on("/exe/cont.php?c=urlspons1", Reply::redirect(302, "http://127.0.0.1:1/banniere1.htm"));
        TfmSponsorTheme5 dlg;
        QSignalSpy loaded2(dlg.wbSponsor2, &TWebBrowser::DocumentComplete);
        dlg.open();
        QTRY_VERIFY_WITH_TIMEOUT(loaded2.count() > 0, 30000);
        QCOMPARE(dlg.wbSponsor2->url().path(), QStringLiteral("/banniere2.htm"));
        QCOMPARE(rig->errors.size(), 1);
        QVERIFY(!dlg.wbSponsor1->HasDocument());
        QVERIFY(dlg.isVisible());
        emit dlg.btnQuitter->clicked();
    }
};

QTEST_MAIN(TestSponsor)
#include "tst_sponsor.moc"
