// The games section of the main window against a scripted loopback portal, and
// the game window on its own.
#include "app/config.h"
#include "portal/nmhttp.h"
#include "portal/textutil.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/browser/shockwaveflash.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenjeu.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <optional>

using namespace zv::test;

namespace {

const QByteArray kCategories = "/exe/medias.php?t=2&k=1";
const QByteArray kReflexion = "/exe/medias.php?t=2&k=2&colid&cat=R%25E%25flexion";
const QByteArray kAction = "/exe/medias.php?t=2&k=2&colid&cat=Action";
const QByteArray kSport = "/exe/medias.php?t=2&k=2&colid&cat=Sport";

// What a modal game window looked like when it showed up; closes it.
struct GameSeen {
    QString className;
    QString title;
    QSize size;
    bool flash = false;
};

} // namespace

class TestFenJeu : public MainWindowTest {
    Q_OBJECT

    std::unique_ptr<TfmPrinc> startGames(int theme = 2)
    {
        auto w = rig->start(theme);
        w->btnFctClick(w->btnFctJeux);
        return w;
    }

    static QModelIndex category(TfmPrinc* w, int i) { return at(w->tvListeJeux, i); }
    static QModelIndex game(TfmPrinc* w, int category, int i) { return at(w->tvListeJeux, {category, i}); }
    static void select(TfmPrinc* w, const QModelIndex& node) { zv::test::select(w->tvListeJeux, node); }

    // Closes every game window that appears and every message box, remembering them.
    QList<GameSeen> games;
    std::optional<ModalAnswerer> modals;
    void watchModals()
    {
        games.clear();
        modals.emplace();
        modals->boxes().on<TfmJeu>([this](TfmJeu* g) {
            games << GameSeen{QString::fromLatin1(g->metaObject()->className()), g->panTitre->text(),
                g->size(), !g->swJeu->isHidden()};
            g->btnFermer->clicked();
        });
    }

    void setUp() override
    {
        rig->portal.set(kReflexion, Reply::ok("R%E%ussite m%E%moire##12||Tetris##abc||Pong", "text/plain"));
        rig->portal.set(kAction, Reply::ok("Balle##401", "text/plain"));
        rig->portal.set(kSport, Reply::ok("Foot##7", "text/plain"));
    }
    void tearDown() override { modals.reset(); }

private slots:
    void categoriesThenGames()
    {
        auto w = startGames();
        QVERIFY(!w->panListeJeux->isHidden());
        QVERIFY(w->panJeu->isHidden());
        QCOMPARE(rowCount(w->tvListeJeux), 4);
        QCOMPARE(category(w.get(), 2).data().toString(), QStringLiteral("Réflexion"));

        select(w.get(), category(w.get(), 2));
        w->tvListeJeuxDblClick();
        QCOMPARE(rig->count(kReflexion), 1);
        const QModelIndex c = category(w.get(), 2);
        QCOMPARE(rowCount(w->tvListeJeux, c), 3);
        QCOMPARE(game(w.get(), 2, 0).data().toString(), QStringLiteral("Réussite mémoire"));
        QCOMPARE(game(w.get(), 2, 0).data(zv::ContentIdRole).toInt(), 12);
        QCOMPARE(game(w.get(), 2, 1).data(zv::ContentIdRole).toInt(), 0);
        QCOMPARE(game(w.get(), 2, 2).data(zv::ContentIdRole).toInt(), 0);
        QVERIFY(w->tvListeJeux->isExpanded(c));

        // Loaded once per visit: a second double-click only closes it.
        w->tvListeJeuxDblClick();
        QCOMPARE(rig->count(kReflexion), 1);
        QCOMPARE(rowCount(w->tvListeJeux, c), 3);
        QVERIFY(!w->tvListeJeux->isExpanded(c));

        // A game: its description, no text request.
        const int before = int(rig->server.requests().size());
        select(w.get(), game(w.get(), 2, 0));
        w->tvListeJeuxDblClick();
        QVERIFY(!w->panJeu->isHidden());
        QTRY_VERIFY(rig->indexOf("/exe/desc_fla.php?jeu=") >= 0);
        QCOMPARE(rig->server.requests()[rig->indexOf("/exe/desc_fla.php?jeu=")].path,
            QByteArray("/exe/desc_fla.php?jeu=R%25E%25ussite+m%25E%25moire"));
        for (int i = before; i < rig->server.requests().size(); ++i)
            QVERIFY(!rig->server.requests()[i].path.startsWith("/exe/medias.php"));

        // Entering the section again empties the tree and hides the pane.
        w->btnFctClick(w->btnFctJeux);
        QVERIFY(w->panJeu->isHidden());
        QCOMPARE(rowCount(w->tvListeJeux), 4);
        QCOMPARE(rowCount(w->tvListeJeux, category(w.get(), 2)), 0);
    }

    void doubleClickWhileLoadingDoesNothing()
    {
        rig->portal.set(kAction, Reply::ok("Balle##401", "text/plain").delayed(600));
        auto w = startGames();
        select(w.get(), category(w.get(), 2));
        w->tvListeJeuxDblClick(); // Réflexion's games, at once
        const QPersistentModelIndex reussite = game(w.get(), 2, 0);

        bool checked = false;
        QTimer::singleShot(150, this, [&] {
            QVERIFY(w->nmhListeJeuxNiveau1->Busy());
            select(w.get(), reussite);
            w->tvListeJeuxDblClick();
            select(w.get(), category(w.get(), 3));
            w->tvListeJeuxDblClick();
            // The answer goes to the category selected when it arrives.
            select(w.get(), category(w.get(), 0));
            checked = true;
        });
        select(w.get(), category(w.get(), 0));
        w->tvListeJeuxDblClick();
        QVERIFY(checked);
        QVERIFY(w->panJeu->isHidden());
        QCOMPARE(rig->count(kSport), 0);
        QCOMPARE(rowCount(w->tvListeJeux, category(w.get(), 0)), 1);
        QCOMPARE(game(w.get(), 0, 0).data(zv::ContentIdRole).toInt(), 401);
        QVERIFY(rig->errors.isEmpty());
    }

    void answerAfterLeavingTheSectionIsDropped()
    {
        rig->portal.set(kAction, Reply::ok("Balle##401", "text/plain").delayed(400));
        auto w = startGames();
        QTimer::singleShot(100, this, [&] { w->btnFctClick(w->btnFctAccueil); });
        select(w.get(), category(w.get(), 0));
        w->tvListeJeuxDblClick();
        QCOMPARE(rowCount(w->tvListeJeux), 0);
        QVERIFY(rig->errors.isEmpty());
    }

    void playOpensThemedWindowThenBeacon_data()
    {
        zv::test::columns<int, QByteArray, QString, QSize, bool>(
            "theme", "answer", "className", "size", "flash");
        zv::test::row("theme 4, capitals", 4, QByteArray("http://h.invalid/jeu.swf##WIDTH=640 Height=480"),
            "TfmJeuTheme4", QSize(640 + 2, 18 + 480 + 2), true);
        zv::test::row("theme 1, page", 1, QByteArray("http://h.invalid/jeu.htm##width=300 height=200\r\n"),
            "TfmJeuTheme1", QSize(300 + 6, 22 + 200 + 6), false);
        zv::test::row("theme 2", 2, QByteArray("jeu.SWF##height=100 width=120"), "TfmJeuTheme2",
            QSize(120, 21 + 100), false);
    }
    void playOpensThemedWindowThenBeacon()
    {
        QFETCH(int, theme);
        QFETCH(QByteArray, answer);
        QFETCH(QString, className);
        QFETCH(QSize, size);
        QFETCH(bool, flash);
        const QByteArray launch = "/exe/medias.php?t=2&k=3&jeu=R%25E%25ussite+m%25E%25moire";
        rig->portal.set(launch, Reply::ok(answer, "text/plain"));
        auto w = startGames(theme);
        select(w.get(), category(w.get(), 2));
        w->tvListeJeuxDblClick();
        select(w.get(), game(w.get(), 2, 0));
        watchModals();
        w->btnJouerClick();
        QCOMPARE(games.size(), 1);
        QCOMPARE(games[0].className, className);
        QCOMPARE(games[0].title, QStringLiteral(" Réussite mémoire"));
        QCOMPARE(games[0].size, size);
        QCOMPARE(games[0].flash, flash);
        QVERIFY(modals->texts.isEmpty());
        const int asked = rig->indexOf(launch);
        const int beacon = rig->indexOf("/exe/vu.php?id=12");
        QVERIFY(asked >= 0);
        QVERIFY(beacon > asked);
        QVERIFY(rig->errors.isEmpty());
    }

    void playNeedsAGame()
    {
        auto w = startGames();
        const int before = int(rig->server.requests().size());
        w->btnJouerClick(); // nothing selected
        select(w.get(), category(w.get(), 1));
        w->btnJouerClick(); // a category
        QCOMPARE(int(rig->server.requests().size()), before);
    }

    void badLaunchAnswersShowTheMessage_data()
    {
        QTest::addColumn<QByteArray>("answer");
        zv::test::row("one line", QByteArray("http://h.invalid/jeu.swf"));
        zv::test::row("no width", QByteArray("http://h.invalid/jeu.swf##height=400"));
        zv::test::row("not whole", QByteArray("http://h.invalid/jeu.swf##width=5,5 height=400"));
    }
    void badLaunchAnswersShowTheMessage()
    {
        QFETCH(QByteArray, answer);
        rig->portal.set("/exe/medias.php?t=2&k=3&jeu=Tetris", Reply::ok(answer, "text/plain"));
        auto w = startGames();
        select(w.get(), category(w.get(), 2));
        w->tvListeJeuxDblClick();
        const QModelIndex tetris = game(w.get(), 2, 1);
        select(w.get(), tetris);
        watchModals();
        w->btnJouerClick();
        QCOMPARE(games.size(), 0);
        QCOMPARE(modals->texts.size(), 1);
        QVERIFY2(
            modals->texts[0].startsWith(QStringLiteral("Impossible de déterminer les dimensions du Jeu : ")),
            qPrintable(modals->texts[0]));
        QVERIFY(modals->texts[0].size() > 50); // the reason follows
        QVERIFY(w->findChildren<TfmJeu*>().isEmpty());
        QCOMPARE(w->SelectedJeu(), tetris);
        QVERIFY(rig->indexOf("/exe/vu.php?id=0") >= 0);
        QVERIFY(rig->errors.isEmpty());
    }

    void emptyLaunchAnswerIsAnError()
    {
        rig->portal.set("/exe/medias.php?t=2&k=3&jeu=Pong", Reply::ok("", "text/plain"));
        auto w = startGames();
        select(w.get(), category(w.get(), 2));
        w->tvListeJeuxDblClick();
        select(w.get(), game(w.get(), 2, 2));
        watchModals();
        // Through the window's own binding, as a click would.
        w->btnJouer->click();
        QCOMPARE(games.size(), 0);
        QCOMPARE(rig->errors.size(), 1);
        QCOMPARE(rig->indexOf("/exe/vu.php?id="), -1); // the rest of the handler is skipped
    }

    void titleIsTheNodeSelectedWhenTheAnswerArrives()
    {
        rig->portal.set("/exe/medias.php?t=2&k=3&jeu=Tetris",
            Reply::ok("http://h.invalid/t.swf##width=200 height=100", "text/plain").delayed(400));
        auto w = startGames();
        select(w.get(), category(w.get(), 2));
        w->tvListeJeuxDblClick();
        select(w.get(), game(w.get(), 2, 1));
        watchModals();
        bool clickedAgain = false;
        QTimer::singleShot(100, this, [&] {
            select(w.get(), game(w.get(), 2, 2));
            w->btnJouerClick(); // while the first is asked for: nothing
            clickedAgain = true;
        });
        w->btnJouerClick();
        QVERIFY(clickedAgain);
        QCOMPARE(games.size(), 1);
        QCOMPARE(games[0].title, QStringLiteral(" Pong"));
        QCOMPARE(rig->count("/exe/medias.php?t=2&k=3&jeu=Pong"), 0);
        // The beacon counts the game that was asked for.
        QVERIFY(rig->indexOf("/exe/vu.php?id=0") >= 0);
        QVERIFY(rig->errors.isEmpty());
    }

    // ---- the game window on its own ------------------------------------------

    void flashOnlyForLowerCaseSwf_data()
    {
        zv::test::columns<QByteArray, bool>("url", "flash");
        zv::test::row(".swf", QByteArray("http://h.invalid/jeux/balle.swf"), true);
        zv::test::row(".swf inside", QByteArray("http://h.invalid/jeu.swf?v=2"), true);
        zv::test::row(".SWF", QByteArray("http://h.invalid/jeux/balle.SWF"), false);
        zv::test::row("page", QByteArray("http://h.invalid/jeux/casse.htm"), false);
    }
    void flashOnlyForLowerCaseSwf()
    {
        QFETCH(QByteArray, url);
        QFETCH(bool, flash);
        TfmJeu win(nullptr, QStringLiteral("Planète mémoire 2"), url, 320, 240);
        QCOMPARE(!win.swJeu->isHidden(), flash);
        QCOMPARE(!win.wbJeu->isHidden(), !flash);
        if (flash) {
            QCOMPARE(win.swJeu->Movie(), QString::fromLatin1(url));
            QCOMPARE(win.swJeu->parentWidget(), win.panJeu);
        } else {
            // The name goes in as displayed, its accents in Windows-1252 like
            // every other portal request.
            const QByteArray expected = "/exe/dir.php?w=100%25&h=100%25&bgcolor=" + ColorToHtmlOf(win.Color())
                + "&jeu=Plan%E8te%20m%E9moire%202";
            QTRY_VERIFY(rig->indexOf("/exe/dir.php") >= 0);
            QCOMPARE(rig->server.requests()[rig->indexOf("/exe/dir.php")].path, expected);
            const QString page = QString::fromLatin1(rig->server.hostPort()
                + "/exe/dir.php?w=100%25&h=100%25&bgcolor=" + ColorToHtmlOf(win.Color()) + "&jeu=");
            QCOMPARE(TfmJeu::GamePageAddress(win.Color(), QStringLiteral("Cœur d’or à 100% Ж")),
                page + QStringLiteral("C%9Cur d%92or %E0 100%25 ?"));
        }
    }

    void themeLooks_data()
    {
        zv::test::columns<int, QString, int, int, QSize, QByteArray>(
            "theme", "className", "title", "border", "buttons", "colour");
        zv::test::row("base", 0, "TfmJeu", 25, 0, QSize(33, 25), QByteArray());
        zv::test::row("1", 1, "TfmJeuTheme1", 22, 3, QSize(21, 20), QByteArray("FE00CB"));
        zv::test::row("2", 2, "TfmJeuTheme2", 21, 0, QSize(12, 12), QByteArray());
        zv::test::row("3", 3, "TfmJeuTheme3", 17, 1, QSize(14, 14), QByteArray("FFFFFF"));
        zv::test::row("4", 4, "TfmJeuTheme4", 18, 1, QSize(12, 12), QByteArray("FFFFFF"));
        zv::test::row("5", 5, "TfmJeuTheme5", 16, 1, QSize(12, 12), QByteArray("FFFFFF"));
    }
    void themeLooks()
    {
        QFETCH(int, theme);
        QFETCH(QString, className);
        QFETCH(int, title);
        QFETCH(int, border);
        QFETCH(QSize, buttons);
        QFETCH(QByteArray, colour);
        auto d = CreateGameWindow(theme, nullptr, QStringLiteral("Jeu"), "http://h.invalid/a.swf", 400, 300);
        auto* win = qobject_cast<TfmJeu*>(d.get());
        QVERIFY(win);
        QCOMPARE(QString::fromLatin1(win->metaObject()->className()), className);
        QCOMPARE(win->panTitre->height(), title);
        QCOMPARE(win->panTitre->text(), QStringLiteral(" Jeu"));
        QCOMPARE(win->size(), QSize(400 + 2 * border, title + 300 + 2 * border));
        QCOMPARE(win->btnFermer->size(), buttons);
        QCOMPARE(win->BtnAgrandir->size(), buttons);
        if (!colour.isEmpty())
            QCOMPARE(ColorToHtmlOf(win->Color()), colour);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win));
        // Top right, maximise left of close, both inside the title bar.
        const QRect close = win->btnFermer->geometry();
        const QRect grow = win->BtnAgrandir->geometry();
        QVERIFY(close.right() < win->panTitre->width() && close.right() >= win->panTitre->width() - 4);
        QVERIFY(grow.right() < close.left());
        QVERIFY(close.bottom() < win->panTitre->height());
        QVERIFY(!win->btnFermer->ImageActif().isNull() && !win->BtnAgrandir->ImageSurvol().isNull());
        // The game area is the game's size.
        QCOMPARE(win->panJeu->size(), QSize(400, 300));
        QCOMPARE(win->swJeu->size(), QSize(400, 300));
    }

    void maximiseAndBack()
    {
        TfmJeu win(nullptr, QStringLiteral("Jeu"), "http://h.invalid/a.swf", 300, 200);
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        const QSize created = win.size();
        win.BtnAgrandirClick();
        QTRY_VERIFY(win.isMaximized());
        QTRY_VERIFY(win.size() != created);
        QCOMPARE(win.swJeu->parentWidget(), win.panJeu);
        QTRY_COMPARE(win.swJeu->size(), win.panJeu->size());
        QVERIFY(!win.swJeu->isHidden());
        // The title bar's double-click does the same.
        QTest::mouseDClick(win.panTitre, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(!win.isMaximized());
        QTRY_COMPARE(win.size(), created);
        QTRY_COMPARE(win.swJeu->size(), QSize(300, 200));
    }

    void closeAccepts()
    {
        TfmJeu win(nullptr, QStringLiteral("Jeu"), "http://h.invalid/a.htm", 200, 100);
        QTimer::singleShot(100, &win, [&] {
            // Escape belongs to the game.
            QTest::keyClick(&win, Qt::Key_Escape);
            QTimer::singleShot(100, &win, [&] { win.btnFermer->clicked(); });
        });
        QCOMPARE(win.exec(), int(QDialog::Accepted));
    }

    void documentCompleteBeforeADocument()
    {
        TfmJeu win(nullptr, QStringLiteral("Jeu"), "http://h.invalid/a.htm", 200, 100);
        QVERIFY(!win.wbJeu->HasDocument());
        win.wbJeuDocumentComplete(); // nothing to style yet
        QVERIFY(!win.wbJeu->HasDocument());
    }

    void hugeGameStaysOnScreen()
    {
        TfmJeu win(nullptr, QStringLiteral("Jeu"), "http://h.invalid/a.swf", 100000, -5);
        const QRect avail = win.screen()->availableGeometry();
        QVERIFY(win.width() <= avail.width());
        QCOMPARE(win.height(), 25);
    }

private:
    static QByteArray ColorToHtmlOf(const QColor& c) { return ColorToHtml(c); }
};

QTEST_MAIN(TestFenJeu)
#include "tst_fenjeu.moc"
