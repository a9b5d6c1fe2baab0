// The popup agent and the popup window against a scripted loopback portal with
// real pages.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/windows/fenpopup.h"
#include "ui/windows/fenprincpopup.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

using namespace zv::test;

namespace {

const QByteArray kSchedulePath = "/exe/cont.php?c=info_temps";

QByteArray page(const QByteArray& name)
{
    return "<html><body style='margin:0;background:#ffd700'>" + name + "</body></html>";
}

// Records what happens to a window: shows and the tops it moved to.
class WindowWatch : public QObject {
public:
    explicit WindowWatch(QWidget* w) { w->installEventFilter(this); }
    int shows = 0;
    QList<int> tops;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            ++shows;
        if (e->type() == QEvent::Move)
            tops << static_cast<QWidget*>(o)->y();
        return false;
    }
};

QList<TfmPopup*> popupsOf(QWidget* agent)
{
    return agent->findChildren<TfmPopup*>(QString(), Qt::FindDirectChildrenOnly);
}

QList<int> widthsOf(QWidget* agent)
{
    QList<int> widths;
    for (TfmPopup* p : popupsOf(agent))
        widths << p->width();
    std::sort(widths.begin(), widths.end());
    return widths;
}

} // namespace

class TestPopups : public MainWindowTest {
    Q_OBJECT

    QByteArray entry(const QByteArray& delai, const QByteArray& actif, int width)
    {
        return "delai=" + delai + ",actif=" + actif + ",url=http://" + rig->server.hostPort()
            + "/p.htm,largeur=" + QByteArray::number(width) + ",hauteur=40";
    }

    // Steps through a test run: presses "Info suivante..." whenever it waits and
    // closes any message box, keeping its text in operator.texts.
    static void operate(ModalAnswerer& op, TfmPrincPopup& agent)
    {
        op.boxes().whenNone([&agent] {
            if (agent.btnTestSuivant->isEnabled())
                agent.btnTestSuivant->click();
        });
    }

    void setUp() override { rig->server.on("/p.htm", Reply::ok(page("pub"))); }
    void tearDown() override { QVERIFY(rig->errors.isEmpty()); }

    // A test run of the agent closed by the operator once waiting says so.
    // The wait is a nested loop: the operator acts from a timer inside it.
    void closeInsideTheWait(const std::function<bool(TfmPrincPopup*)>& waiting)
    {
        QPointer<TfmPrincPopup> agent = new TfmPrincPopup(true);
        QTimer closer;
        bool closed = false;
        connect(&closer, &QTimer::timeout, [&] {
            if (agent && !closed && waiting(agent)) {
                closed = true;
                agent->close();
            }
        });
        closer.start(20);
        QTimer::singleShot(0, agent, [agent] { agent->btnTest->click(); });
        QTRY_VERIFY_WITH_TIMEOUT(closed, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!agent, 10000); // freed, with its popup
    }

private slots:
    void agentForm()
    {
        TfmPrincPopup agent(false);
        QCOMPARE(agent.size(), QSize(248, 193));
        QCOMPARE(agent.windowTitle(), QStringLiteral("InfZevalo"));
        QVERIFY(agent.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!agent.isVisible());
        QVERIFY(agent.timPopup->isActive());
        QCOMPARE(agent.timPopup->interval(), 60000);
        QVERIFY(!agent.schedule());

        TfmPrincPopup tester(true);
        QVERIFY(tester.isVisible());
        QVERIFY(!tester.timPopup->isActive());
        QCOMPARE(tester.btnTest->text(), QStringLiteral("TESTER"));
        QCOMPARE(tester.btnTestSuivant->text(), QStringLiteral("Info suivante..."));
        QVERIFY(!tester.btnTestSuivant->isEnabled());
        QVERIFY(tester.memTest->isReadOnly());
        QCOMPARE(rig->count(kSchedulePath), 0);
    }

    void popupsOpenAtTheirMinute()
    {
        rig->server.on(kSchedulePath,
            Reply::ok(entry("0", "OUI", 100) + "\r\n" + entry("1", "oui", 101) + "\r\n"
                + entry("5", "OUI", 105) + "\r\n" + entry("2", "non", 102) + "\r\n" + entry("1", "TEST", 103)
                + "\r\n" + entry("x", "OUI", 104) + "\r\n"));
        TfmPrincPopup agent(false);
        agent.timPopupTimer();
        QCOMPARE(agent.minutes(), 1);
        QCOMPARE(widthsOf(&agent), (QList<int>{100, 101}));
        QCOMPARE(agent.schedule()->size(), 2); // delai 5 and "non", not due yet
        for (int minute = 2; minute <= 4; ++minute) {
            agent.timPopupTimer();
            QCOMPARE(widthsOf(&agent), (QList<int>{100, 101}));
        }
        QCOMPARE(agent.schedule()->size(), 1);
        agent.timPopupTimer();
        QCOMPARE(widthsOf(&agent), (QList<int>{100, 101, 105}));
        QVERIFY(agent.schedule()->isEmpty());
        agent.timPopupTimer();
        QCOMPARE(popupsOf(&agent).size(), 3);
        QCOMPARE(rig->count(kSchedulePath), 1);
        // Bad lines are dropped silently outside test mode.
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(rig->errors.isEmpty());
    }

    void scheduleFetchedOnceEvenWhenItFails()
    {
        rig->server.on(kSchedulePath, Reply::status(500, "panne"));
        TfmPrincPopup agent(false);
        agent.timPopupTimer();
        QVERIFY(agent.schedule());
        QVERIFY(agent.schedule()->isEmpty());
        // Published later: not seen by this run.
        rig->server.on(kSchedulePath, Reply::ok(entry("0", "OUI", 100)));
        agent.timPopupTimer();
        agent.timPopupTimer();
        QCOMPARE(rig->count(kSchedulePath), 1);
        QVERIFY(popupsOf(&agent).isEmpty());
    }

    void minutesComeFromTheTimer()
    {
        rig->server.on(kSchedulePath, Reply::ok(entry("0", "OUI", 100)));
        TfmPrincPopup agent(false);
        agent.setTickInterval(20);
        QTRY_VERIFY_WITH_TIMEOUT(agent.minutes() >= 3, 10000);
        QCOMPARE(rig->count(kSchedulePath), 1);
        QCOMPARE(popupsOf(&agent).size(), 1);
    }

    void testModeStepsThroughEveryEntry()
    {
        rig->server.on(kSchedulePath,
            Reply::ok(entry("9", "OUI", 100) + "\r\n" + entry("0", "non", 101) + "\r\n"
                + entry("0", "TeSt", 102) + "\r\n" + entry("abc", "OUI", 103)));
        TfmPrincPopup agent(true);
        ModalAnswerer op;
        operate(op, agent);
        const QStringList& boxes = op.texts;
        agent.btnTest->click();
        QCOMPARE(widthsOf(&agent), (QList<int>{100, 102}));
        QVERIFY(agent.memTest->toPlainText().contains(QStringLiteral("largeur=103")));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first(),
            QStringLiteral("Erreur sur la ligne : \r\n") + QString::fromLatin1(entry("abc", "OUI", 103))
                + QStringLiteral("\r\n\r\nDétail : \r\ndelai=abc\r\nactif=OUI\r\nurl=http://")
                + QString::fromLatin1(rig->server.hostPort())
                + QStringLiteral("/p.htm\r\nlargeur=103\r\nhauteur=40\r\n"));
        QVERIFY(!agent.schedule());
        QVERIFY(agent.btnTest->isEnabled());
        QVERIFY(!agent.btnTestSuivant->isEnabled());
        QCOMPARE(agent.minutes(), 0);
        // Every test fetches the schedule again.
        agent.btnTest->click();
        QCOMPARE(rig->count(kSchedulePath), 2);
        QCOMPARE(popupsOf(&agent).size(), 4);
    }

    void closingTheAgentDuringTheWait()
    {
        rig->server.on(kSchedulePath, Reply::ok(entry("0", "OUI", 100) + "\r\n" + entry("0", "OUI", 101)));
        closeInsideTheWait([](TfmPrincPopup* agent) { return agent->btnTestSuivant->isEnabled(); });
    }

    void closingTheAgentWhileTheScheduleWaits()
    {
        rig->server.on(kSchedulePath, Reply::never());
        closeInsideTheWait([](TfmPrincPopup* agent) { return agent->nmhPopup->Busy(); });
    }

    void popupForm()
    {
        TfmPopup popup(nullptr, 100, 300, QStringLiteral("about:blank"));
        QCOMPARE(popup.size(), QSize(300, 121));
        QVERIFY(!popup.isVisible());
        QVERIFY(popup.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(popup.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(popup.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(popup.panTitre->geometry(), QRect(0, 0, 300, 21));
        QCOMPARE(popup.panTitre->text(), QStringLiteral("  InfZevalo"));
        QCOMPARE(popup.panTitre->palette().color(QPalette::Window), QColor(50, 61, 67));
        QCOMPARE(popup.panTitre->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(popup.panTitre->font().bold());
        QCOMPARE(popup.panTitre->font().family(), QStringLiteral("Arial"));
        QCOMPARE(popup.btnFermer->size(), QSize(12, 12));
        QVERIFY(popup.btnFermer->Redimensionnement());
        QVERIFY(!popup.btnFermer->ImageActif().isNull());
        QVERIFY(popup.btnFermer->geometry().right() < 300 && popup.btnFermer->geometry().right() >= 280);
        QCOMPARE(popup.wbPub->geometry(), QRect(0, 21, 300, 100));
        QVERIFY(popup.timTimeOut->isActive());
        QCOMPARE(popup.timTimeOut->interval(), 30000);
        QVERIFY(!popup.timAnimation->isActive());
    }

    void slidesOnceToTheCorner()
    {
        // The page completes twice (it is reloaded while sliding): one slide.
        auto* popup
            = new TfmPopup(nullptr, 100, 200, QStringLiteral("http://") + rig->server.hostPort() + "/p.htm");
        QPointer<TfmPopup> alive(popup);
        WindowWatch watch(popup);
        QSignalSpy completions(popup->wbPub, &TWebBrowser::DownloadComplete);
        QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), 30000);
        popup->wbPub->Refresh();
        QTRY_VERIFY_WITH_TIMEOUT(completions.count() >= 2, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!popup->timAnimation->isActive(), 30000);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(popup->height(), 121);
        QCOMPARE(popup->geometry().right() + 1, area.x() + area.width() - 50);
        QCOMPARE(popup->geometry().bottom() + 1, area.y() + area.height() - 50);
        QCOMPARE(watch.shows, 1);
        QVERIFY(watch.tops.size() > 2);
        QCOMPARE(watch.tops.first(), area.y() + area.height());
        for (int i = 1; i < watch.tops.size(); ++i)
            QVERIFY(watch.tops[i] < watch.tops[i - 1] && watch.tops[i - 1] - watch.tops[i] <= 3);
        // Once there, it stays until closed.
        QTest::qWait(100);
        QVERIFY(alive && popup->isVisible());
        emit popup->btnFermer->clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 5000);
    }

    void notLoadedNeverShown_data()
    {
        // address: "HOST" stands for the server
        zv::test::columns<QString, int>("address", "timeOut");
        zv::test::row("never answers", "http://HOST/jamais.htm", 400);
        // These fail long before the time-out.
        zv::test::row("404", "http://HOST/absent.htm", 30000);
        zv::test::row("unreachable", "http://127.0.0.1:1/p.htm", 30000);
    }
    void notLoadedNeverShown()
    {
        QFETCH(QString, address);
        QFETCH(int, timeOut);
        rig->server.on("/jamais.htm", Reply::never());
        rig->server.on("/absent.htm", Reply::status(404, page("introuvable")));
        address.replace(QLatin1String("HOST"), QString::fromLatin1(rig->server.hostPort()));
        auto* popup = new TfmPopup(nullptr, 100, 200, address);
        popup->timTimeOut->setInterval(timeOut);
        QPointer<TfmPopup> alive(popup);
        WindowWatch watch(popup);
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 20000);
        QCOMPARE(watch.shows, 0);
    }

    void largerThanTheScreenFits()
    {
        // The address as a schedule may give it, with blanks after it.
        auto* popup = new TfmPopup(
            nullptr, 3000, 4000, QStringLiteral("http://") + rig->server.hostPort() + "/p.htm \r\n");
        QPointer<TfmPopup> alive(popup);
        QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!popup->timAnimation->isActive(), 30000);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(popup->geometry(), area.adjusted(50, 50, -50, -50));
        const QRect close(popup->btnFermer->mapToGlobal(QPoint(0, 0)), popup->btnFermer->size());
        QVERIFY(area.contains(close));
        QCOMPARE(popup->wbPub->geometry(), QRect(0, 21, area.width() - 100, area.height() - 100 - 21));
        emit popup->btnFermer->clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 5000);
    }

    void newWindowClosesIt()
    {
        auto* popup
            = new TfmPopup(nullptr, 80, 200, QStringLiteral("http://") + rig->server.hostPort() + "/p.htm");
        QPointer<TfmPopup> alive(popup);
        QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), 30000);
        popup->wbPub->page()->runJavaScript(
            QStringLiteral("window.open('http://example.invalid/annonceur')"));
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!rig->opened.isEmpty(), 10000);
        QCOMPARE(rig->opened.first().host(), QStringLiteral("example.invalid"));
    }

    void failuresShowNothing_data()
    {
        // How the ad's page asks for a window the desktop cannot open.
        QTest::addColumn<QString>("script");
        zv::test::row("window.open", QStringLiteral("window.open('http://example.invalid/annonceur')"));
        zv::test::row("a link to a new window",
            QStringLiteral("var a = document.createElement('a'); a.href = 'http://example.invalid/annonceur';"
                           "a.target = '_blank'; document.body.appendChild(a); a.click();"));
    }
    void failuresShowNothing()
    {
        // Nobody watches the agent: what fails in a popup is swallowed
        // (tearDown checks that no error was shown) and the popup has done its job.
        QFETCH(QString, script);
        int refused = 0;
        TWebBrowser::setUrlOpener([&refused](const QUrl&) {
            ++refused;
            throw zv::Error(QStringLiteral("Aucun navigateur pour ouvrir cette page"));
        });
        auto* popup
            = new TfmPopup(nullptr, 80, 200, QStringLiteral("http://") + rig->server.hostPort() + "/p.htm");
        QPointer<TfmPopup> alive(popup);
        QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), 30000);
        popup->wbPub->page()->runJavaScript(script);
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 20000);
        QCOMPARE(refused, 1);
    }
};

QTEST_MAIN(TestPopups)
#include "tst_popups.moc"
