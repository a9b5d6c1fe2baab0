// Windows that hold a web view closed at any moment of their pages' loads,
// many times over, some grabbed first: none may crash or leave the engine
// calling into what is gone.
#include "base/errors.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/browser/webbrowser.h"
#include "ui/windows/fenjeu.h"
#include "ui/windows/fenpopup.h"
#include "ui/windows/fensponsor.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <functional>

using zv::test::Reply;
using zv::test::ScriptedServer;

namespace {

// A page whose pictures arrive slowly, so that it is long in loading, and
// that draws all the while.
QByteArray slowPage(const QByteArray& name)
{
    QByteArray html = "<html><body style='background:#335'><h1>" + name + "</h1>";
    for (int i = 0; i < 6; ++i)
        html += "<img src='/lent" + QByteArray::number(i) + ".png' width=40 height=40>";
    // A game draws every frame while it loads.
    return html
        + "<canvas id=c width=200 height=100></canvas><script>const g = c.getContext('2d'); let x = 0;"
          "function f() { g.fillStyle = 'hsl(' + (x++ % 360) + ',80%,50%)'; g.fillRect(x % 200, 0, 20, 100);"
          " requestAnimationFrame(f); } f();</script></body></html>";
}

} // namespace

class TestWebClose : public QObject {
    Q_OBJECT
    ScriptedServer server;

private slots:
    void initTestCase()
    {
        TWebBrowser::setUrlOpener([](const QUrl&) {});
        server.setDefault(Reply::ok(slowPage("jeu")).inPieces(300, 15));
        for (int i = 0; i < 6; ++i)
            server.on("/lent" + QByteArray::number(i) + ".png",
                Reply::ok(QByteArray(4000, 'p'), "image/png").inPieces(500, 40));
        server.on("/exe/cont.php?c=urlspons1", Reply::ok(server.url("/banniere1.htm")));
        server.on("/exe/cont.php?c=urlspons2", Reply::ok(server.url("/banniere2.htm")).delayed(50));
        server.on("/pub.htm", Reply::ok(slowPage("pub")).inPieces(200, 20));
        qputenv("ZEVALO_PORTAL_HOST", server.hostPort());
    }

    void closedAtAnyMoment_data()
    {
        zv::test::columns<QByteArray, bool>("window", "grabbed");
        for (const char* kind : {"jeu", "sponsor", "popup"}) {
            zv::test::row(kind, QByteArray(kind), false);
            zv::test::row((QByteArray(kind) + ", grabbed while loading").constData(), QByteArray(kind), true);
        }
    }
    void closedAtAnyMoment()
    {
        QFETCH(QByteArray, window);
        QFETCH(bool, grabbed);
        QRandomGenerator random(window.size() * 31 + grabbed);
        for (int round = 0; round < 12; ++round) {
            QPointer<QWidget> w;
            std::function<void()> start;
            if (window == "jeu") {
                auto* game
                    = new TfmJeu(nullptr, QStringLiteral("Planète mémoire"), "http://h/jeu.htm", 320, 240);
                w = game;
                start = [game] { game->show(); };
            } else if (window == "sponsor") {
                auto* sponsor = new TfmSponsor;
                w = sponsor;
                // Its requests wait in nested loops: the window goes while they do.
                start = [sponsor] {
                    sponsor->show();
                    sponsor->FormCreate();
                };
            } else {
                auto* popup = new TfmPopup(nullptr, 200, 300, QString::fromLatin1(server.url("/pub.htm")));
                w = popup;
                start = [popup] { popup->show(); };
            }
            const int delay = int(random.bounded(400));
            QTimer::singleShot(delay, this, [w, grabbed] {
                if (!w)
                    return;
                if (grabbed)
                    (void)w->grab();
                w->close();
                delete w.data();
            });
            zv::guarded(start); // a request that waited for a window now gone ends silently
            QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 10000);
            QTest::qWait(int(random.bounded(50)));
        }
        // The engine carries on: a new view loads and reports its page.
        TWebBrowser after;
        bool done = false;
        connect(&after, &TWebBrowser::DocumentComplete, this, [&] { done = true; });
        after.Navigate(QString::fromLatin1(server.url("/pub.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    }
};

QTEST_MAIN(TestWebClose)
#include "tst_webclose.moc"
