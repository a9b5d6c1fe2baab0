// The main window on the desktop, against the demo portal with the real
// players: the desktop's player controls through the real playerctl client (the
// test runs in dbus-run-session), the keyboard shortcuts, and a second start of
// the real program bringing the window forward.
#include "app/mpris.h"
#include "app/singleinstance.h"
#include "portalprocess.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/desktopcontrols.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

class TestDesktop : public QObject {
    Q_OBJECT

    std::unique_ptr<PortalProcess> portal;
    std::unique_ptr<TfmPrinc> w;
    QProcess follow; // playerctl --follow status: the signalled changes
    QByteArray followed;

    // playerctl on our player; the event loop runs meanwhile, so that this
    // process answers its calls.
    static QString playerctl(const QStringList& arguments)
    {
        QProcess p;
        p.start(u"playerctl"_s, QStringList{u"-p"_s, u"zevalo"_s} + arguments);
        QSignalSpy finished(&p, &QProcess::finished);
        if (!finished.wait(30000)) {
            p.kill();
            p.waitForFinished();
            return u"<no answer>"_s;
        }
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    static QString titleAndUrl()
    {
        return playerctl({u"metadata"_s, u"--format"_s, u"{{xesam:title}}|{{xesam:url}}"_s});
    }

    // The address of a row of the channel list (with its engine prefix).
    QString url(int row) const { return w->lvListeCanauxModel->index(row).data(zv::AddressRole).toString(); }

    void showRadios()
    {
        emit w->btnFctRadio->clicked();
        QVERIFY(w->lvListeCanauxModel->rowCount() >= 2);
        QCOMPARE(w->ListeCanauxSelectedRow(), 0);
    }

private slots:
    void initTestCase()
    {
        portal = startPortalForClient();
        QVERIFY2(portal->started(), "zevalo-portal did not start");
        w = CreateThemeWindow(2);
        QVERIFY(w->FormCreate());
        w->show();
        QVERIFY2(AttachDesktopControls(w.get()), "no session bus: run the test in dbus-run-session");
        connect(&follow, &QProcess::readyReadStandardOutput, this,
            [this] { followed += follow.readAllStandardOutput(); });
        follow.start(u"playerctl"_s, {u"-p"_s, u"zevalo"_s, u"--follow"_s, u"status"_s});
        QVERIFY(follow.waitForStarted());
    }
    void cleanupTestCase()
    {
        follow.kill();
        follow.waitForFinished();
        w.reset();
        portal.reset();
    }

    // Play, next, previous, pause, volume and stop reach the window and its
    // player; status and metadata follow the row that plays.
    void radioListThroughPlayerctl()
    {
        showRadios();
        QCOMPARE(playerctl({u"status"_s}), u"Stopped"_s);
        const auto caption = [this](int row) { return w->lvListeCanauxModel->caption(row); };

        playerctl({u"play"_s});
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), 30000);
        QCOMPARE(playerctl({u"status"_s}), u"Playing"_s);
        QCOMPARE(titleAndUrl(), caption(0) + u'|' + w->frmPlayer->url());
        QVERIFY(url(0).endsWith(w->frmPlayer->url()));

        playerctl({u"next"_s});
        QTRY_COMPARE_WITH_TIMEOUT(w->ListeCanauxSelectedRow(), 1, 10000);
        QVERIFY(url(1).endsWith(w->frmPlayer->url()));
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), 30000);
        QCOMPARE(titleAndUrl(), caption(1) + u'|' + w->frmPlayer->url());
        playerctl({u"previous"_s});
        QTRY_COMPARE_WITH_TIMEOUT(w->ListeCanauxSelectedRow(), 0, 10000);
        QVERIFY(url(0).endsWith(w->frmPlayer->url()));
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), 30000);

        playerctl({u"pause"_s});
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPaused(), 10000);
        QCOMPARE(playerctl({u"status"_s}), u"Paused"_s);
        playerctl({u"play-pause"_s});
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), 10000);

        playerctl({u"volume"_s, u"0.3"_s});
        // The knob stands on whole pixels.
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(w->frmCurseurSon->GetFraction() - 0.3) < 0.02, 10000);
        QCOMPARE(playerctl({u"volume"_s}).toDouble(), w->frmCurseurSon->GetFraction());

        playerctl({u"stop"_s});
        QTRY_VERIFY_WITH_TIMEOUT(!w->frmPlayer->IsPlaying() && !w->frmPlayer->IsPaused(), 10000);
        QCOMPARE(playerctl({u"status"_s}), u"Stopped"_s);

        // Each change was signalled to the client that follows.
        QTRY_VERIFY_WITH_TIMEOUT(followed.endsWith("Playing\nPaused\nPlaying\nStopped\n"), 10000);
    }

    // In continuous play of the favourites, next goes to the next favourite.
    void favouritesInContinuousPlay()
    {
        showRadios();
        const QString first = url(0);
        const QString second = url(1);
        emit w->btnFctMOD->clicked();
        w->lvMODFavorisModel->clear();
        w->AddFavorite(u"Premier favori"_s, first);
        w->AddFavorite(u"Second favori"_s, second);
        w->pcMOD->setCurrentWidget(w->tsMODFavoris);
        zv::test::select(w->lvMODFavoris, zv::test::at(w->lvMODFavoris, 0));
        QVERIFY(w->btnMODFavorisLectureContinue->isChecked());

        playerctl({u"play"_s});
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), 30000);
        QCOMPARE(w->PlayingIndex, 0);
        QCOMPARE(playerctl({u"metadata"_s, u"xesam:title"_s}), u"Premier favori"_s);
        playerctl({u"next"_s});
        QTRY_COMPARE_WITH_TIMEOUT(w->PlayingIndex, 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(playerctl({u"metadata"_s, u"xesam:title"_s}), u"Second favori"_s, 10000);
        QVERIFY(second.endsWith(w->frmPlayer->url()));
        playerctl({u"stop"_s});
        QTRY_COMPARE_WITH_TIMEOUT(w->PlayingIndex, -1, 10000);
        w->lvMODFavorisModel->clear();
    }

    // The keys act on the playback row unless a text field has the focus; a list
    // keeps its arrow keys.
    void shortcuts()
    {
        showRadios();
        TfrmPlayer* player = w->frmPlayer;
        const double volume = w->frmCurseurSon->GetFraction();
        const auto fullScreen
            = [player] { return player->playerControl() && player->playerControl()->isFullScreen(); };
        struct Step {
            const char* what;
            Qt::Key key;
            std::function<bool()> done;
            QWidget* focus = nullptr; // the list unless said
        };
        const Step steps[] = {
            {"Space plays", Qt::Key_Space, [&] { return player->IsPlaying(); }},
            {"Space pauses", Qt::Key_Space, [&] { return player->IsPaused(); }},
            {"Space resumes", Qt::Key_Space, [&] { return player->IsPlaying(); }},
            {"M mutes", Qt::Key_M, [&] { return player->IsMuted(); }},
            {"M again", Qt::Key_M, [&] { return !player->IsMuted(); }},
            {"Up in the list", Qt::Key_Up, [&] { return w->frmCurseurSon->GetFraction() == volume; }},
            {"Up", Qt::Key_Up, [&] { return w->frmCurseurSon->GetFraction() > volume + 0.03; }, w.get()},
            {"Down", Qt::Key_Down, [&] { return qAbs(w->frmCurseurSon->GetFraction() - volume) < 0.02; },
                w.get()},
            {"F", Qt::Key_F, fullScreen},
            {"Escape", Qt::Key_Escape, [&] { return !fullScreen(); }},
        };
        for (const Step& step : steps) {
            // Without a window manager, a video window coming up may take the focus away.
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
            (step.focus ? step.focus : w->lvListeCanaux)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), step.key);
            QTRY_VERIFY2_WITH_TIMEOUT(step.done(), step.what, 30000);
        }

        // In a text field the keys are text.
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODRecherche);
        w->edtMODRecherche->clear();
        w->edtMODRecherche->setFocus();
        const double before = w->frmCurseurSon->GetFraction();
        QTest::keyClicks(w->edtMODRecherche, u"mf "_s);
        QTest::keyClick(w->edtMODRecherche, Qt::Key_Up);
        QCOMPARE(w->edtMODRecherche->text(), u"mf "_s);
        QCOMPARE(w->frmCurseurSon->GetFraction(), before);
    }

    // A second start of the real program brings the window back from the task bar.
    void secondStartBringsTheWindowForward()
    {
        QTemporaryDir runtime;
        SingleInstance instance(u"portal"_s, runtime.path());
        QCOMPARE(instance.claim({}), SingleInstance::Role::First);
        QStringList received;
        connect(&instance, &SingleInstance::activated, this, [&](const QStringList& arguments) {
            received = arguments;
            BringToFront(w.get());
        });
        w->showMinimized();
        QTRY_VERIFY(w->isMinimized());

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(ZEVALO_BINARY), {u"/autre"_s, u"deux mots"_s});
        QSignalSpy finished(&second, &QProcess::finished);
        QVERIFY(finished.wait(30000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(received, (QStringList{u"/autre"_s, u"deux mots"_s}));
        QTRY_VERIFY(!w->isMinimized());
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
