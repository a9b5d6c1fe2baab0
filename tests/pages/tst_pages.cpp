// The main window's portal pages against a scripted portal on loopback, with
// real web pages: home, chat, adult and contact panels, the ticker, the ad
// rotation and the sponsor decision at start-up.
#include "app/config.h"
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/themes/themes.h"
#include "ui/windows/fensponsor.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFrame>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

using namespace zv::test;

namespace {

QByteArray bannerPage(const QByteArray& script = {})
{
    return "<html><body style='margin:0;background:#ffd700'><a id='go' target='_blank' "
           "href='http://example.invalid/sponsor'>Sponsor</a>"
        + (script.isEmpty() ? QByteArray() : "<script>" + script + "</script>") + "</body></html>";
}

// Runs a script in a page and waits for its answer.
QVariant evaluate(TWebBrowser* wb, const QString& script)
{
    QVariant out;
    bool done = false;
    wb->page()->runJavaScript(script, [&](const QVariant& v) {
        out = v;
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QTest::qWait(20);
    return out;
}

// Watches for the modal sponsor window and answers it as a user would.
class SponsorAnswerer {
public:
    enum class Answer { Banner, Quit, Nothing };

    explicit SponsorAnswerer(Answer answer)
        : answer_(answer)
    {
        modals_.on<TfmSponsor>([this](TfmSponsor* dlg) { look(dlg); });
    }

    QStringList classes; // the class of every sponsor window seen
    QPointer<TfmSponsor> current;

private:
    void look(TfmSponsor* dlg)
    {
        if (dlg != current) {
            current = dlg;
            clicked_ = false;
            classes << QString::fromLatin1(dlg->metaObject()->className());
        }
        if (clicked_)
            return;
        if (answer_ == Answer::Quit) {
            clicked_ = true;
            emit dlg->btnQuitter->clicked();
        } else if (answer_ == Answer::Banner && dlg->wbSponsor1->HasDocument()) {
            // What a click on a banner does: the page asks for a new window.
            clicked_ = true;
            dlg->wbSponsor1->page()->runJavaScript(
                QStringLiteral("window.open('http://example.invalid/sponsor')"));
        }
    }

    Answer answer_;
    bool clicked_ = false;
    ModalAnswerer modals_;
};

} // namespace

class TestPages : public MainWindowTest {
    Q_OBJECT

    QByteArray host() const { return rig->url(""); }

    void setUp() override
    {
        rig->portal.set("/exe/cont.php?c=urlspons1", Reply::ok(host() + "/banniere1.htm", "text/plain"));
        rig->portal.set("/exe/cont.php?c=urlspons2", Reply::ok(host() + "/banniere2.htm", "text/plain"));
        rig->portal.set("/banniere1.htm", Reply::ok(bannerPage()));
        rig->portal.set("/banniere2.htm", Reply::ok(bannerPage()));
        rig->portal.set("/pages/tard.html", Reply::ok("<html><body>tard</body></html>"));
    }

private slots:
    // ---- answers that carry a URL ------------------------------------------

    void answerAfterLeavingLoadsNothing_data()
    {
        // leaveTo: empty: the user stays
        zv::test::columns<QString, QByteArray, QString, QString>("section", "request", "browser", "leaveTo");

        zv::test::row("home left, stays", "btnFctAccueil", QByteArray("/exe/cont.php?c=urlaccg"),
            "wbAccueilG", QString());
        zv::test::row("home left, leaves", "btnFctAccueil", QByteArray("/exe/cont.php?c=urlaccg"),
            "wbAccueilG", "btnFctChat");
        zv::test::row("home right, stays", "btnFctAccueil", QByteArray("/exe/cont.php?c=ieacc2"),
            "wbAccueilD", QString());
        zv::test::row("home right, leaves", "btnFctAccueil", QByteArray("/exe/cont.php?c=ieacc2"),
            "wbAccueilD", "btnFctJeux");
        zv::test::row(
            "chat, stays", "btnFctChat", QByteArray("/exe/cont.php?c=urlchat"), "wbChat", QString());
        zv::test::row(
            "chat, leaves", "btnFctChat", QByteArray("/exe/cont.php?c=urlchat"), "wbChat", "btnFctAccueil");
        zv::test::row(
            "adult, stays", "btnFctSexo", QByteArray("/exe/cont.php?c=urlsexo"), "wbSexo", QString());
        zv::test::row(
            "adult, leaves", "btnFctSexo", QByteArray("/exe/cont.php?c=urlsexo"), "wbSexo", "btnContact");
    }

    void answerAfterLeavingLoadsNothing()
    {
        QFETCH(QString, section);
        QFETCH(QByteArray, request);
        QFETCH(QString, browser);
        QFETCH(QString, leaveTo);

        auto w = rig->start();
        auto* wb = w->findChild<TWebBrowser*>(browser);
        auto* from = w->findChild<TBtnGraph*>(section);
        auto* to = leaveTo.isEmpty() ? nullptr : w->findChild<TBtnGraph*>(leaveTo);
        QVERIFY(wb && from);
        QSignalSpy loaded(wb, &TWebBrowser::DocumentComplete);

        rig->portal.set(request, Reply::ok(host() + "/pages/tard.html", "text/plain").delayed(700));
        // The click on the other section arrives while the answer is awaited.
        bool left = false;
        connect(&rig->server, &ScriptedServer::requestReceived, this, [&](const Request& r) {
            if (to && r.path == request && !left) {
                left = true;
                QTimer::singleShot(0, this, [&] { emit to->clicked(); });
            }
        });
        emit from->clicked();
        QCOMPARE(left, bool(to));

        if (to) {
            QVERIFY(to->Enfonce());
            QVERIFY(wb->parentWidget()->isHidden());
            QTest::qWait(1500);
            QCOMPARE(rig->count("/pages/tard.html"), 0);
            QVERIFY(!wb->url().path().endsWith(QLatin1String("/tard.html")));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(wb->url().path(), QStringLiteral("/pages/tard.html"), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(rig->count("/pages/tard.html") > 0, 20000);
        }
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void oddUrlAnswers_data()
    {
        // answer: after the host's "http://host"; "-": the whole answer
        // expectedPath: the request the page makes; empty: none
        zv::test::columns<QByteArray, QByteArray>("answer", "expectedPath");

        const QByteArray big = "/pages/chat.html?q=" + QByteArray(100 * 1024, 'a');
        zv::test::row("plain", QByteArray("/pages/chat.html"), QByteArray("/pages/chat.html"));
        // What server scripts write: the address, then a line break or spaces.
        zv::test::row(
            "trailing line breaks", QByteArray("/pages/chat.html\r\n\r\n"), QByteArray("/pages/chat.html"));
        zv::test::row(
            "trailing spaces", QByteArray("/pages/chat.html  \t \n"), QByteArray("/pages/chat.html"));
        zv::test::row("100 KB, used whole", big, big);
        zv::test::row("empty", QByteArray("-"), QByteArray());
        zv::test::row("not a URL", QByteArray("-pas une adresse <b>du tout</b>"), QByteArray());
        zv::test::row("control bytes", QByteArray("-\x01\x02\x7f\xff"), QByteArray());
    }

    void oddUrlAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, expectedPath);
        const QByteArray body = answer.startsWith('-') ? answer.mid(1) : host() + answer;

        auto w = rig->start();
        rig->portal.set("/exe/cont.php?c=urlchat", Reply::ok(body, "text/plain"));
        QSignalSpy loaded(w->wbChat, &TWebBrowser::DocumentComplete);
        rig->server.clearRequests();
        emit w->btnFctChat->clicked();
        QVERIFY(!w->panChat->isHidden());
        // A page or the browser's own error page; never a crash or a message.
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, 30000);
        if (!expectedPath.isEmpty())
            QTRY_VERIFY2_WITH_TIMEOUT(rig->count(expectedPath) > 0,
                qPrintable(QString::fromLatin1(rig->portal.paths().join(' ').left(2000))), 20000);
        else
            QCOMPARE(rig->countPrefix("/pages/chat"), 0);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
        // The window still works.
        emit w->btnFctAccueil->clicked();
        QVERIFY(!w->panAccueilG->isHidden());
    }

    void pageStyling_data()
    {
        // style: border style | overflow
        zv::test::columns<QString, QString, QString>("section", "browser", "style");

        zv::test::row("home left", "btnFctAccueil", "wbAccueilG", "none|hidden");
        zv::test::row("home right", "btnFctAccueil", "wbAccueilD", "none|hidden");
        zv::test::row("chat", "btnFctChat", "wbChat", "none|hidden");
        zv::test::row("contact", "btnContact", "wbContact", "none|hidden");
        // The adult page keeps its scroll bars.
        zv::test::row("adult", "btnFctSexo", "wbSexo", "none|");
    }

    void pageStyling()
    {
        QFETCH(QString, section);
        QFETCH(QString, browser);
        QFETCH(QString, style);

        auto w = rig->start();
        auto* wb = w->findChild<TWebBrowser*>(browser);
        QVERIFY(wb);
        emit w->findChild<TBtnGraph*>(section)->clicked();
        const QString read = QStringLiteral("document.body ? document.body.style.borderStyle + '|' + "
                                            "document.body.style.overflow : ''");
        const QString where = QStringLiteral("document.location.pathname");
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(wb, where).toString().startsWith(QLatin1String("/pages/"))
                || evaluate(wb, where).toString() == QLatin1String("/exe/contact.php"),
            30000);
        if (wb == w->wbSexo) {
            // The section blanks this browser and loads the page right after;
            // Qt 6.4 then often reports one finished load, the blank one, and
            // none for the page. Load it again on its own to see the styling.
            QSignalSpy loaded(wb, &TWebBrowser::DocumentComplete);
            wb->Navigate(wb->url().toString());
            QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, 30000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(wb, read).toString(), style, 30000);
    }

    // ---- ticker ----------------------------------------------------------------

    void tickerStillUntilItsMessage_data()
    {
        zv::test::flagRows("answered", "error page", "message arrives");
    }

    void tickerStillUntilItsMessage()
    {
        QFETCH(bool, answered);
        const QByteArray text = "Bonne ann\xe9"
                                "e \xe0 tous ! \x80 Gratuit  ";
        rig->portal.set("/exe/cont.php?c=message",
            answered ? Reply::ok(text, "text/plain").delayed(500) : Reply::status(404, "Introuvable"));

        // Looked at while the answer is awaited.
        auto w = CreateThemeWindow(2);
        int periodWhileWaiting = -1;
        bool scrollingWhileWaiting = true;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            if (w->nmhMessage->Busy() && periodWhileWaiting < 0) {
                periodWhileWaiting = w->slMessage->Periodicite();
                scrollingWhileWaiting = w->slMessage->isScrolling();
            }
        });
        look.start(20);
        QVERIFY(w->FormCreate());
        look.stop();
        if (answered) {
            QCOMPARE(periodWhileWaiting, 0);
            QVERIFY(!scrollingWhileWaiting);
        }
        QCOMPARE(w->slMessage->Pas(), 5);
        if (answered) {
            QCOMPARE(w->slMessage->Caption(), QStringLiteral("Bonne année à tous ! € Gratuit  "));
            QCOMPARE(w->slMessage->Periodicite(), 150);
            QVERIFY(w->slMessage->isScrolling());
        } else {
            QCOMPARE(w->slMessage->Caption(), QString());
            QVERIFY(!w->slMessage->isScrolling());
            // The rest of the start-up went on.
            QVERIFY(rig->count("/exe/cont.php?c=version") > 0);
        }
    }

    // ---- ad rotation -----------------------------------------------------------

    void adIntervals()
    {
        auto w = rig->start();
        QCOMPARE(w->timPub->interval(), 60000);
        QVERIFY(w->timPub->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(rig->count("/exe/cont.php?c=pub"), 1, 20000);

        // One tick: a reload, then a new interval.
        w->timPubTimer();
        QVERIFY(w->timPub->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(rig->count("/exe/cont.php?c=pub"), 2, 20000);

        int low = 1 << 30;
        int high = 0;
        QSet<int> seen;
        for (int i = 0; i < 400; ++i) {
            w->timPubTimer();
            const int ms = w->timPub->interval();
            QVERIFY2(ms >= 15000 && ms <= 99000, qPrintable(QString::number(ms)));
            QCOMPARE(ms % 1000, 0);
            QVERIFY(w->timPub->isActive());
            low = qMin(low, ms);
            high = qMax(high, ms);
            seen.insert(ms);
        }
        // 400 draws of 85 values: values near both ends and most values turn
        // up (missing all of the three lowest has odds below one in a million).
        QVERIFY2(low <= 17000, qPrintable(QString::number(low)));
        QVERIFY2(high >= 97000, qPrintable(QString::number(high)));
        QVERIFY(seen.size() > 70);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void adReloadsOnEverySectionClick()
    {
        auto w = rig->start();
        // Start-up loads it once; its own home section does not reload it.
        QTRY_COMPARE_WITH_TIMEOUT(rig->count("/exe/cont.php?c=pub"), 1, 20000);
        QTest::qWait(500);
        QCOMPARE(rig->count("/exe/cont.php?c=pub"), 1);
        const int before = w->timPub->remainingTime();

        // A click on the section already shown counts too.
        int expected = 1;
        for (TBtnGraph* b : {w->btnFctAccueil, w->btnFctAccueil, w->btnContact, w->btnFctJeux}) {
            emit b->clicked();
            ++expected;
            QTRY_COMPARE_WITH_TIMEOUT(rig->count("/exe/cont.php?c=pub"), expected, 20000);
        }
        // The clicks do not restart the rotation.
        QCOMPARE(w->timPub->interval(), 60000);
        QVERIFY(w->timPub->remainingTime() < before);
    }

    void adBandPlacement_data() { zv::test::themeRows(); }

    void adBandPlacement()
    {
        QFETCH(int, theme);
        auto w = CreateThemeWindow(theme);
        QCOMPARE(w->wbPub->parentWidget(), static_cast<QWidget*>(w->panPub));
        QCOMPARE(w->wbPub->geometry(), QRect(-2, -2, 472, 600));
        QVERIFY(!w->panPub->isHidden());
    }

    // ---- sponsors --------------------------------------------------------------

    void sponsorDecision_data()
    {
        zv::test::columns<int, QByteArray, bool>("status", "answer", "shown");

        zv::test::row("lower case", 200, QByteArray("oui"), true);
        zv::test::row("inside a longer text", 200, QByteArray("Sponsors : Oui, merci\r\n"), true);
        zv::test::row("upper case, line break", 200, QByteArray("OUI\r\n"), true);
        zv::test::row("part of a word", 200, QByteArray("ouistiti"), true);
        zv::test::row("empty", 200, QByteArray(), false);
        zv::test::row("no", 200, QByteArray("NON"), false);
        zv::test::row("spread letters", 200, QByteArray("o u i"), false);
        zv::test::row("error page saying oui", 404, QByteArray("<html>OUI introuvable</html>"), false);
        zv::test::row("server error", 500, QByteArray("OUI"), false);
    }

    void sponsorDecision()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, answer);
        QFETCH(bool, shown);
        rig->portal.set("/exe/cont.php?c=spons",
            status == 200 ? Reply::ok(answer, "text/plain") : Reply::status(status, answer));

        SponsorAnswerer user(SponsorAnswerer::Answer::Banner);
        auto w = rig->start();
        QVERIFY(w);
        QCOMPARE(user.classes, shown ? QStringList{QStringLiteral("TfmSponsorTheme2")} : QStringList{});
        QCOMPARE(rig->count("/exe/cont.php?c=urlspons1"), shown ? 1 : 0);
        // Either way the start-up goes on.
        QCOMPARE(rig->count("/exe/cont.php?c=version"), 1);
        QVERIFY(!w->TerminateRequested);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void sponsorQuitEndsTheProgram()
    {
        rig->portal.set("/exe/cont.php?c=spons", Reply::ok("oui", "text/plain"));
        SponsorAnswerer user(SponsorAnswerer::Answer::Quit);
        auto w = CreateThemeWindow(2);
        QVERIFY(!w->FormCreate());
        QCOMPARE(user.classes, QStringList{QStringLiteral("TfmSponsorTheme2")});
        QVERIFY(w->TerminateRequested);
        QVERIFY(!w->isVisible());
        // The rest of the start-up is abandoned.
        QCOMPARE(rig->count("/exe/cont.php?c=version"), 0);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void sponsorBannerOpeningManyWindows()
    {
        // The banner opens a window on its own, fifty times over: the first one
        // lets the user go on; the rest are dropped after a few.
        rig->portal.set("/exe/cont.php?c=spons", Reply::ok("OUI", "text/plain"));
        rig->portal.set("/banniere1.htm",
            Reply::ok(
                bannerPage("for (var i = 0; i < 50; ++i) window.open('http://example.invalid/p' + i);")));
        SponsorAnswerer user(SponsorAnswerer::Answer::Nothing);
        auto w = rig->start();
        QCOMPARE(user.classes.size(), 1);
        QVERIFY(!user.current);
        QCOMPARE(rig->count("/exe/cont.php?c=version"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!rig->opened.isEmpty(), 10000);
        QTest::qWait(500);
        QVERIFY(rig->opened.size() <= TWebBrowser::PopupBurst);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
        // The window goes on working.
        emit w->btnFctChat->clicked();
        QVERIFY(!w->panChat->isHidden());
    }

    void sponsorWindowOfEachTheme_data()
    {
        zv::test::columns<int, QString>("theme", "className");
        for (int t = 1; t <= 5; ++t)
            QTest::addRow("theme %d", t) << t << QStringLiteral("TfmSponsorTheme%1").arg(t);
    }

    void sponsorWindowOfEachTheme()
    {
        QFETCH(int, theme);
        QFETCH(QString, className);
        auto w = CreateThemeWindow(theme);
        const TSponsorWindowClass create = w->SponsorWindowClass();
        QVERIFY(bool(create));
        std::unique_ptr<QDialog> dlg = create(w.get());
        QVERIFY(dlg);
        QCOMPARE(QString::fromLatin1(dlg->metaObject()->className()), className);
        QCOMPARE(dlg->parentWidget(), static_cast<QWidget*>(w.get()));
        // The base window's own class.
        std::unique_ptr<QDialog> base = w->TfmPrinc::SponsorWindowClass()(w.get());
        QCOMPARE(QString::fromLatin1(base->metaObject()->className()), QStringLiteral("TfmSponsor"));
        // Not shown, so nothing was asked of the portal.
        QCOMPARE(rig->count("/exe/cont.php?c=urlspons1"), 0);
    }
};

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
