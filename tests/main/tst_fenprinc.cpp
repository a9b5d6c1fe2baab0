// The main window against a scripted portal on loopback, with players that
// play nothing: start-up, sections, channel lists, playback, update check,
// favourites.
#include "app/config.h"
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"
#include "ui/player/cadcurseur.h"
#include "ui/themes/looks.h"
#include "ui/themes/themes.h"
#include "ui/windows/fensponsor.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

namespace {

// Catches what the shell would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class TestFenPrinc : public MainWindowTest {
    Q_OBJECT

    void tearDown() override { QLocale::setDefault(QLocale::c()); }

private slots:
    void startupOrder()
    {
        auto w = rig->start();
        const QByteArrayList expected
            = {"/exe/test_connexion.php", "/exe/cont.php?c=message", "/exe/cont.php?c=urlaccg",
                "/exe/cont.php?c=ieacc2", "/exe/cont.php?c=spons", "/exe/cont.php?c=version"};
        QCOMPARE(rig->fetchPaths(), expected);
        // The exact request lines of one of them.
        const Request* msg = nullptr;
        for (const Request& r : rig->server.requests()) {
            if (r.path == "/exe/cont.php?c=message")
                msg = &r;
        }
        QVERIFY(msg);
        QCOMPARE(msg->raw,
            "GET /exe/cont.php?c=message HTTP/1.0\r\nHost: " + rig->server.hostPort()
                + "\r\nAccept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
                  "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n\r\n");

        QVERIFY(w->slMessage->Caption().startsWith(QStringLiteral("Bienvenue sur Zevalo Multimédia")));
        QCOMPARE(w->slMessage->Periodicite(), 150);
        QCOMPARE(w->lblTitre->text(), QStringLiteral("Zevalo Multimédia V3"));
        QVERIFY(!w->lblMarque->text().isEmpty());
        QVERIFY(w->btnFctAccueil->Enfonce());
        QVERIFY(!w->panAccueilG->isHidden() && !w->panAccueilD->isHidden());
        QVERIFY(w->panPlayer->isHidden());
        QVERIFY(!w->btnLecture->Actif());
        QVERIFY(!w->btnMODFavorisRepeterUne->isChecked());
        QVERIFY(w->btnMODFavorisLectureContinue->isChecked());
        QCOMPARE(w->pcMOD->currentWidget(), w->tsMODFichier);
        QCOMPARE(w->cmbBouquet->currentIndex(), 0);
        // The five bouquets, then "Mes chaînes" and the entry adding a list.
        QCOMPARE(w->cmbBouquet->count(), 5 + 2);
        QCOMPARE(w->cmbBouquet->itemText(5), QStringLiteral("Mes chaînes"));
        // The ad band loads once at start-up, not reloaded by the home section.
        QTRY_COMPARE(rig->count("/exe/cont.php?c=pub"), 1);
    }

    void failedStartupRequestKeepsFavourites()
    {
        // The message request fails: the rest of the sequence is skipped, but
        // the favourites are still read, so closing does not erase them.
        {
            TConfig c;
            SaveFavorites(
                c, {{"Titre un", "http://mp3.example/1.mp3"}, {"Titre deux", "http://mp3.example/2.mp3"}});
        }
        rig->portal.set("/exe/cont.php?c=message", Reply::raw(""));
        {
            auto w = rig->start();
            QCOMPARE(rowCount(w->lvMODFavoris), 2);
            QVERIFY(!rig->fetchPaths().contains("/exe/cont.php?c=spons"));
            QCOMPARE(w->slMessage->Periodicite(), 0); // the ticker stays still without its message
        }
        TConfig c;
        QCOMPARE(LoadFavorites(c).size(), size_t(2));
    }

    void connectionRefusedEndsProgram()
    {
        rig->portal.set("/exe/test_connexion.php", Reply::ok("ok\r\n", "text/plain"));
        // Cancel once two attempts have failed.
        ModalAnswerer modals;
        modals.boxes(QMessageBox::No).on<QDialog>([&](QDialog* d) {
            if (rig->count("/exe/test_connexion.php") >= 2)
                d->reject();
        });
        {
            TConfig c;
            SaveFavorites(c, {{"Gardé", "http://mp3.example/1.mp3"}});
        }
        auto w = CreateThemeWindow(2);
        QVERIFY(!w->FormCreate());
        QCOMPARE(rig->fetchPaths(), QByteArrayList({"/exe/test_connexion.php", "/exe/test_connexion.php"}));
        // The window that never opened leaves the favourites alone.
        w.reset();
        TConfig c;
        QCOMPARE(LoadFavorites(c).size(), size_t(1));
    }

    void panelsFollowMarkers()
    {
        auto w = rig->start();
        QCOMPARE(w->size(), QSize(800, 600)); // the background's size
        // One pixel short of the far edge of the bottom-right marker.
        QCOMPARE(w->panPlayer->geometry(), QRect(QPoint(40, 194), QPoint(408 + 16, 499 + 16)));
        QCOMPARE(w->panListeCanaux->geometry(), QRect(QPoint(434, 194), QPoint(755 + 16, 500 + 16)));
        QCOMPARE(w->panChat->geometry(), QRect(QPoint(40, 194), QPoint(755 + 16, 500 + 16)));
        QCOMPARE(w->panPub->geometry(), QRect(QPoint(244, 86), QPoint(696 + 16, 129 + 16)));
        QCOMPARE(w->pcMOD->geometry(), w->panListeCanaux->geometry());
        QCOMPARE(w->btnFctVideo->geometry(), w->btnFctSexo->geometry());
        QVERIFY(w->btnFctSexo->isHidden() != w->btnFctVideo->isHidden());
    }

    void everyThemeFollowsItsMarkers_data()
    {
        QTest::addColumn<int>("theme");
        for (const zv::themes::Look& l : zv::themes::Looks)
            zv::test::row(qPrintable(QStringLiteral("theme %1").arg(l.number)), l.number);
    }
    void everyThemeFollowsItsMarkers()
    {
        QFETCH(int, theme);
        const zv::themes::Look& look = zv::themes::LookOf(theme);
        auto w = CreateThemeWindow(theme);
        QVERIFY(w->FormCreate());
        QCOMPARE(w->size(), QSize(look.width, 600));
        const auto& m = look.markers;
        QCOMPARE(w->panPlayer->geometry(),
            QRect(QPoint(m[0].left, m[0].top), QPoint(m[1].left + 16, m[1].top + 16)));
        QCOMPARE(w->panListeCanaux->geometry(),
            QRect(QPoint(m[2].left, m[2].top), QPoint(m[3].left + 16, m[3].top + 16)));
        QCOMPARE(
            w->panPub->geometry(), QRect(QPoint(m[4].left, m[4].top), QPoint(m[5].left + 16, m[5].top + 16)));
        QCOMPARE(w->lvListeCanaux->palette().color(QPalette::Base), QColor::fromRgb(look.listBackground));
        QCOMPARE(w->ilTele.size(), zv::FlagCount);
        for (const QPixmap& flag : w->ilTele)
            QCOMPARE(flag.size(), QSize(16, 16));
        QCOMPARE(w->ilVideo.size(), 1);
        // Every picture of the buttons is there.
        for (TBtnGraph* b : w->sectionButtons()) {
            QVERIFY(!b->ImageActif().isNull());
            QVERIFY(!b->ImageSurvol().isNull());
            QVERIFY(!b->ImageEnfonce().isNull());
        }
        for (TBtnGraph* b : {w->btnLecture, w->btnPause, w->btnMuet, w->btnPleinEcran})
            QVERIFY(!b->ImageInactif().isNull());
        // The section buttons stay clear of the ad band and of the panels.
        for (TBtnGraph* b : w->sectionButtons()) {
            QVERIFY(!b->geometry().intersects(w->panPub->geometry()));
            QVERIFY(!b->geometry().intersects(w->panPlayer->geometry()));
        }
    }

    void emptyBackgroundKeepsDesignedSize()
    {
        auto w = CreateThemeWindow(2);
        w->SetBackground(QPixmap());
        QVERIFY(w->FormCreate());
        QCOMPARE(w->size(), QSize(790, 600));
    }

    void sections_data()
    {
        zv::test::columns<QString, QByteArrayList, QStringList, bool>("button", "requests", "shown", "plays");
        zv::test::row("tele", "btnFctTele", QByteArrayList{"/exe/medias.php?t=3&colid"},
            QStringList{"panPlayer", "panListeCanaux", "panBouquet"}, true);
        zv::test::row("clips", "btnFctClipVideo", QByteArrayList{"/exe/medias.php?t=1&colid"},
            QStringList{"panPlayer", "panListeCanaux"}, true);
        zv::test::row("radios", "btnFctRadio", QByteArrayList{"/exe/medias.php?t=4&colid"},
            QStringList{"panPlayer", "panListeCanaux"}, true);
        zv::test::row("games", "btnFctJeux", QByteArrayList{"/exe/medias.php?t=2&k=1"},
            QStringList{"panListeJeux"}, false);
        zv::test::row("chat", "btnFctChat",
            QByteArrayList{"/exe/cont.php?c=urlchat", "/exe/medias.php?t=4&colid"},
            QStringList{"panChat", "lblChatRadio", "cmbChatRadio"}, true);
        zv::test::row(
            "mod", "btnFctMOD", QByteArrayList{"/exe/podcast.php"}, QStringList{"panPlayer", "pcMOD"}, true);
        zv::test::row(
            "sexo", "btnFctSexo", QByteArrayList{"/exe/cont.php?c=urlsexo"}, QStringList{"panSexo"}, false);
        zv::test::row("videos", "btnFctVideo", QByteArrayList{}, QStringList{"panPlayer", "panVideo"}, true);
        zv::test::row("contact", "btnContact", QByteArrayList{}, QStringList{"panContact"}, false);
        zv::test::row("home", "btnFctAccueil",
            QByteArrayList{"/exe/cont.php?c=urlaccg", "/exe/cont.php?c=ieacc2"},
            QStringList{"panAccueilG", "panAccueilD"}, false);
    }
    void sections()
    {
        QFETCH(QString, button);
        QFETCH(QByteArrayList, requests);
        QFETCH(QStringList, shown);
        QFETCH(bool, plays);
        auto w = rig->start();
        QTRY_COMPARE(rig->count("/exe/cont.php?c=pub"), 1);
        // Something plays before the switch: the switch unloads it.
        w->frmPlayer->Load(QStringLiteral("http://x.example/a.wmv"));
        w->frmPlayer->Play();
        QVERIFY(rig->engine());
        rig->server.clearRequests();
        auto* b = w->findChild<TBtnGraph*>(button);
        QVERIFY(b);
        emit b->clicked();
        QCOMPARE(rig->fetchPaths(), requests);
        QVERIFY(b->Enfonce());
        for (TBtnGraph* other : w->sectionButtons())
            QCOMPARE(other->Enfonce(), other == b);
        const QStringList all = {"panAccueilG", "panAccueilD", "panPlayer", "panListeCanaux", "panBouquet",
            "panListeJeux", "panJeu", "panChat", "lblChatRadio", "cmbChatRadio", "pcMOD", "panSexo",
            "panVideo", "panContact"};
        for (const QString& name : all) {
            auto* c = w->findChild<QWidget*>(name);
            QVERIFY2(c, qPrintable(name));
            QVERIFY2(c->isHidden() != shown.contains(name), qPrintable(name));
        }
        QCOMPARE(w->btnLecture->Actif(), plays);
        QCOMPARE(w->frmCurseurSon->isEnabled(), plays);
        QVERIFY(!rig->engine()); // unloaded
        QCOMPARE(w->PlayingIndex, -1);
        // Every user switch reloads the ad.
        QTRY_COMPARE(rig->count("/exe/cont.php?c=pub"), 1);
    }

    void clickIgnoredWhileListLoads()
    {
        auto w = rig->start();
        rig->portal.set(
            "/exe/medias.php?t=4&colid", Reply::ok("[fr]FIP@@http://r/fip.mp3", "text/plain").delayed(1200));
        bool teleWasPressed = true, bouquetWasShown = true, radioStillPressed = false, busySeen = false;
        QTimer::singleShot(0, w.get(), [&] { emit w->btnFctRadio->clicked(); });
        QTimer::singleShot(400, w.get(), [&] {
            busySeen = w->nmhListeCanaux->Busy();
            emit w->btnFctTele->clicked();
            teleWasPressed = w->btnFctTele->Enfonce();
            bouquetWasShown = !w->panBouquet->isHidden();
            radioStillPressed = w->btnFctRadio->Enfonce();
        });
        QTRY_COMPARE(w->lvListeCanauxModel->rowCount(), 1);
        QVERIFY(busySeen);
        QVERIFY(!teleWasPressed);
        QVERIFY(!bouquetWasShown);
        QVERIFY(radioStillPressed);
        QVERIFY(!rig->fetchPaths().contains("/exe/medias.php?t=3&colid"));
    }

    void recordListThroughWindow()
    {
        auto w = rig->start();
        emit w->btnFctTele->clicked();
        QCOMPARE(w->lblListeCanaux->text(), QStringLiteral("Liste des télévisions"));
        QCOMPARE(w->lvListeCanauxModel->rowCount(), 40);
        QCOMPARE(w->ListeCanauxSelectedRow(), 0);
        const QModelIndex first = w->lvListeCanauxModel->index(0);
        QCOMPARE(first.data().toString(), QStringLiteral("France 24"));
        QCOMPARE(first.data(zv::AddressRole).toString(), QStringLiteral("mms://tv.example/live/0.asf"));
        QCOMPARE(first.data(zv::ContentIdRole).toInt(), 1);
        QVERIFY(!first.data(Qt::DecorationRole).value<QPixmap>().isNull());
        QCOMPARE(w->lvListeCanauxModel->rows()[0].imageIndex, 12); // fr
        QCOMPARE(w->lvListeCanauxModel->index(11).data().toString(), QStringLiteral("Canal Algérie"));
        QCOMPARE(w->cmbChatRadio->count(), 40);

        // Clips: the badge list.
        emit w->btnFctClipVideo->clicked();
        QCOMPARE(w->lblListeCanaux->text(), QStringLiteral("Liste des vidéo-clips"));
        QCOMPARE(w->lvListeCanauxModel->rowCount(), 5);
        QCOMPARE(w->lvListeCanauxModel->rows()[0].imageIndex, 0);
        QCOMPARE(w->lvListeCanauxModel->index(0).data().toString(),
            QStringLiteral("Lumière - Les Nuits Blanches"));
        QCOMPARE(w->lvListeCanauxModel->rows()[2].imageIndex, -1);
    }

    void bouquetsThroughWindow_data()
    {
        zv::test::columns<int, QByteArray>("bouquet", "path");
        zv::test::row("free", 1, QByteArray("/bouquet/free.m3u"));
        zv::test::row("orange", 2, QByteArray("/bouquet/orange.m3u"));
        zv::test::row("club", 3, QByteArray("/bouquet/clubinternet.m3u"));
        zv::test::row("belgacom", 4, QByteArray("/bouquet/belgacom.m3u"));
    }
    void bouquetsThroughWindow()
    {
        QFETCH(int, bouquet);
        QFETCH(QByteArray, path);
        auto w = rig->start();
        emit w->btnFctTele->clicked();
        rig->server.clearRequests();
        w->cmbBouquet->setCurrentIndex(bouquet);
        emit w->cmbBouquet->activated(bouquet);
        QCOMPARE(rig->fetchPaths(), QByteArrayList{path});
        QCOMPARE(w->lvListeCanauxModel->rowCount(), 5);
        const QModelIndex first = w->lvListeCanauxModel->index(0);
        QCOMPARE(first.data().toString(), QStringLiteral("2 - France 2"));
        QCOMPARE(first.data(zv::AddressRole).toString(), QStringLiteral("vlc:rtsp://box.example/f2"));
        QVERIFY(first.data(Qt::DecorationRole).isNull());
        QCOMPARE(w->ListeCanauxSelectedRow(), -1); // no row is selected for a bouquet

        // The same answer outside the television section reads as records.
        emit w->btnFctRadio->clicked();
        rig->portal.set(
            "/exe/medias.php?t=4&colid", Reply::ok("#EXTINF:0,2 - France 2\r\nrtsp://x", "text/plain"));
        emit w->btnFctRadio->clicked();
        QCOMPARE(w->lvListeCanauxModel->rowCount(), 2);
        QCOMPARE(w->lvListeCanauxModel->index(1).data(zv::AddressRole).toString(), QStringLiteral("tsp://x"));
    }

    void chatRadioMirror()
    {
        auto w = rig->start();
        emit w->btnFctChat->clicked();
        QCOMPARE(w->cmbChatRadio->count(), 7);
        QCOMPARE(w->cmbChatRadio->currentIndex(), 0);
        QCOMPARE(w->cmbChatRadio->itemText(2), QStringLiteral("Classic 21"));
        QCOMPARE(w->ListeCanauxSelectedRow(), 0);
        w->cmbChatRadio->setCurrentIndex(3);
        emit w->cmbChatRadio->activated(3);
        QCOMPARE(w->ListeCanauxSelectedRow(), 3);
        // The play button plays the chosen radio although the list is hidden.
        emit w->btnLecture->clicked();
        QCOMPARE(rig->engines.sources(), QStringList{QStringLiteral("http://radio.example/couleur3.mp3")});
        // Leaving the section empties the box.
        emit w->btnFctJeux->clicked();
        QCOMPARE(w->cmbChatRadio->count(), 0);
        QCOMPARE(w->cmbChatRadio->currentText(), QString());
    }

    void contentViewedBeacon()
    {
        auto w = rig->start();
        emit w->btnFctTele->clicked();
        w->SelectListeCanauxRow(4);
        rig->server.clearRequests();
        emit w->lvListeCanaux->doubleClicked(w->lvListeCanauxModel->index(4));
        QCOMPARE(rig->fetchPaths(), QByteArrayList{"/exe/vu.php?id=5"});
        QCOMPARE(rig->engines.sources(), QStringList{QStringLiteral("mms://tv.example/live/4.asf")});
        QVERIFY(rig->engines.calls.contains(QStringLiteral("volume 80")));
        QVERIFY(!w->ContentViewedBusy);

        // Playing: the button stops.
        QTRY_VERIFY(w->btnLecture->Enfonce());
        emit w->btnLecture->clicked();
        QVERIFY(rig->engines.calls.endsWith(QStringLiteral("stop")));
        QTRY_VERIFY(!w->btnLecture->Enfonce());

        // A bouquet row: no beacon.
        w->cmbBouquet->setCurrentIndex(2);
        emit w->cmbBouquet->activated(2);
        QVERIFY(!w->btnLecture->Enfonce());
        w->SelectListeCanauxRow(0);
        rig->server.clearRequests();
        emit w->btnLecture->clicked();
        QCOMPARE(rig->fetchPaths(), QByteArrayList{});
        QCOMPARE(rig->engines.sources().last(), QStringLiteral("rtsp://box.example/f2"));

        // A radio without an id: no beacon; with one: sent (the chooser must be
        // back on its first entry, whatever the section).
        w->cmbBouquet->setCurrentIndex(0);
        emit w->btnFctRadio->clicked();
        QTRY_VERIFY(!w->btnLecture->Enfonce()); // the switch stopped the bouquet
        w->SelectListeCanauxRow(5);
        rig->server.clearRequests();
        emit w->btnLecture->clicked();
        QCOMPARE(rig->fetchPaths(), QByteArrayList{});
        QCOMPARE(rig->engines.sources().last(), QStringLiteral("http://radio.example/r4.mp3"));
        emit w->btnFctRadio->clicked();
        QTRY_VERIFY(!w->btnLecture->Enfonce());
        w->SelectListeCanauxRow(6);
        rig->server.clearRequests();
        emit w->btnLecture->clicked();
        QCOMPARE(rig->fetchPaths(), QByteArrayList{"/exe/vu.php?id=207"});
    }

    void beaconFailureReachesUser()
    {
        auto w = rig->start();
        emit w->btnFctTele->clicked();
        rig->portal.beacon = Reply::never();
        rig->errors.clear();
        emit w->btnLecture->clicked(); // row 0 is selected, id 1; the beacon times out after 3 s
        QCOMPARE(rig->errors.size(), 1);
        QVERIFY(!w->ContentViewedBusy);
        QCOMPARE(rig->engines.sources().size(), 1); // it plays all the same
    }

    void engineThatCannotStart()
    {
        auto w = rig->start();
        emit w->btnFctTele->clicked();
        rig->engines.failStart = true;
        rig->server.clearRequests();
        rig->errors.clear();
        emit w->btnLecture->clicked();
        // The frame's own message only; the click ends there: no beacon.
        QCOMPARE(
            rig->errors, QStringList{QStringLiteral("L'erreur suivante s'est produite : moteur absent")});
        QCOMPARE(rig->fetchPaths(), QByteArrayList{});
    }

    void sliders()
    {
        auto w = rig->start();
        emit w->btnFctRadio->clicked();
        emit w->btnLecture->clicked();
        QVERIFY(rig->engine());
        rig->engine()->len = 100;
        rig->engine()->pos = 10;
        rig->engines.calls.clear();
        // Dragging the volume knob sets the volume live; its release sends nothing.
        TfrmCurseur* son = w->frmCurseurSon;
        const QPoint knob = son->btnCurseur->rect().center();
        QTest::mousePress(son->btnCurseur, Qt::LeftButton, {}, knob);
        QTest::mouseMove(son->btnCurseur, knob - QPoint(20, 0));
        const int afterMove = int(rig->engines.calls.size());
        QTest::mouseRelease(son->btnCurseur, Qt::LeftButton, {}, knob - QPoint(20, 0));
        QVERIFY(afterMove >= 1);
        QVERIFY(rig->engines.calls.first().startsWith(QLatin1String("volume ")));
        QCOMPARE(int(rig->engines.calls.size()), afterMove);

        // The position knob seeks on release only.
        rig->engines.calls.clear();
        TfrmCurseur* pos = w->frmCurseurVideo;
        const QPoint k = pos->btnCurseur->rect().center();
        QTest::mousePress(pos->btnCurseur, Qt::LeftButton, {}, k);
        QTest::mouseMove(pos->btnCurseur, k + QPoint(60, 0));
        QVERIFY(rig->engines.calls.isEmpty());
        QTest::mouseRelease(pos->btnCurseur, Qt::LeftButton, {}, k + QPoint(60, 0));
        QCOMPARE(rig->engines.calls.size(), 1);
        QVERIFY(rig->engines.calls.first().startsWith(QLatin1String("seek ")));
    }

    void favouritesContinuousPlay_data()
    {
        zv::test::columns<bool, bool, QStringList>("nonStop", "repeat", "played");
        const QString a = QStringLiteral("http://mp3.example/a.mp3"),
                      b = QStringLiteral("http://mp3.example/b.mp3"),
                      c = QStringLiteral("http://mp3.example/c.mp3");
        zv::test::row("non-stop to the end", true, false, QStringList{b, c});
        zv::test::row("neither stops", false, false, QStringList{b});
        zv::test::row("repeat", true, true, QStringList{b, b, b, b});
        zv::test::row("repeat without non-stop", false, true, QStringList{b, b, b, b});
    }
    void favouritesContinuousPlay()
    {
        QFETCH(bool, nonStop);
        QFETCH(bool, repeat);
        QFETCH(QStringList, played);
        auto w = rig->start();
        w->AddFavorite(QStringLiteral("A"), QStringLiteral("http://mp3.example/a.mp3"));
        w->AddFavorite(QStringLiteral("B"), QStringLiteral("http://mp3.example/b.mp3"));
        w->AddFavorite(QStringLiteral("C"), QStringLiteral("http://mp3.example/c.mp3"));
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODFavoris);
        w->btnMODFavorisLectureContinue->setChecked(nonStop);
        w->btnMODFavorisRepeterUne->setChecked(repeat);
        select(w->lvMODFavoris, at(w->lvMODFavoris, 1));
        emit w->btnLecture->clicked();
        QCOMPARE(w->PlayingIndex, 1);
        for (int end = 0; end < 3; ++end) {
            QTRY_VERIFY(w->btnLecture->Enfonce());
            const int before = int(rig->engines.sources().size());
            // A pause is not an end: nothing moves on.
            if (end == 0) {
                emit w->btnPause->clicked();
                QTest::qWait(1200);
                QCOMPARE(int(rig->engines.sources().size()), before);
                QVERIFY(w->btnPause->Enfonce());
                emit w->btnPause->clicked();
            }
            rig->engine()->setState(PlayerEngine::State::Ended); // end of the track
            QTRY_VERIFY(!w->btnLecture->Enfonce() || int(rig->engines.sources().size()) > before);
            if (int(rig->engines.sources().size()) == before)
                break;
        }
        QTest::qWait(1100);
        QCOMPARE(rig->engines.sources(), played);
        if (!repeat)
            QCOMPARE(w->PlayingIndex, -1);
    }

    void doubleClicks_data()
    {
        // Each list holds "a", a row with nothing to play, then "b"; a row is
        // double-clicked, then maybe another (-1: none), or selected and the
        // play button pressed.
        zv::test::columns<QString, int, int, QStringList, bool, bool>(
            "list", "first", "second", "played", "playingAfter", "button");
        const QStringList lists = {QStringLiteral("lvListeCanaux"), QStringLiteral("lvMODFichier"),
            QStringLiteral("lvMODPodcast"), QStringLiteral("lvMODRecherche"), QStringLiteral("lvMODFavoris"),
            QStringLiteral("lvVideo")};
        const QString a = QStringLiteral("http://media.example/a.mp3"),
                      b = QStringLiteral("http://media.example/b.mp3");
        for (const QString& list : lists) {
            const QByteArray name = list.toUtf8();
            zv::test::row(
                name + ": an empty address plays nothing", list, 1, -1, QStringList{}, false, false);
            zv::test::row(name + ": another row plays it", list, 0, 2, QStringList{a, b}, true, false);
            zv::test::row(name + ": the row playing stops", list, 0, 0, QStringList{a}, false, false);
            zv::test::row(
                name + ": a row without an address stops", list, 0, 1, QStringList{a}, false, false);
            zv::test::row(name + ": the button stops", list, 0, 2, QStringList{a}, false, true);
        }
    }
    void doubleClicks()
    {
        QFETCH(QString, list);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QStringList, played);
        QFETCH(bool, playingAfter);
        QFETCH(bool, button);
        const QString a = QStringLiteral("http://media.example/a.mp3"),
                      b = QStringLiteral("http://media.example/b.mp3");
        rig->portal.set("/exe/medias.php?t=3&colid",
            Reply::ok("A@@" + a.toUtf8() + "##0||Rien@@##0||B@@" + b.toUtf8() + "##0", "text/plain"));
        auto w = rig->start();
        QAbstractItemView* view = w->findChild<QAbstractItemView*>(list);
        QVERIFY(view);
        const QList<std::pair<QString, QString>> rows
            = {{QStringLiteral("A"), a}, {QStringLiteral("Rien"), QString()}, {QStringLiteral("B"), b}};
        if (view == w->lvListeCanaux) {
            emit w->btnFctTele->clicked();
        } else if (view == w->lvVideo) {
            emit w->btnFctVideo->clicked();
            for (const auto& [title, address] : rows)
                w->lvVideoModel->append({.kind = zv::EntryKind::Video, .caption = title, .address = address});
        } else {
            emit w->btnFctMOD->clicked();
            for (QWidget* p = view; p; p = p->parentWidget()) {
                if (w->pcMOD->indexOf(p) >= 0)
                    w->pcMOD->setCurrentWidget(p);
            }
            const QHash<QAbstractItemView*, std::pair<TEntryModel*, zv::EntryKind>> models
                = {{w->lvMODFichier, {w->lvMODFichierModel, zv::EntryKind::File}},
                    {w->lvMODPodcast, {w->lvMODPodcastModel, zv::EntryKind::Episode}},
                    {w->lvMODRecherche, {w->lvMODRechercheModel, zv::EntryKind::Mp3}},
                    {w->lvMODFavoris, {w->lvMODFavorisModel, zv::EntryKind::Favourite}}};
            const auto [model, kind] = models.value(view);
            for (const auto& [title, address] : rows)
                model->append({.kind = kind, .caption = title, .address = address});
        }
        QCOMPARE(w->ShownList(), view);
        QCOMPARE(rowCount(view), 3);
        rig->errors.clear();

        activate(view, at(view, first));
        if (second >= 0) {
            QTRY_VERIFY(w->btnLecture->Enfonce());
            if (button) {
                select(view, at(view, second));
                emit w->btnLecture->clicked();
            } else {
                activate(view, at(view, second));
            }
        }
        QCOMPARE(rig->errors, QStringList{});
        QCOMPARE(rig->engines.sources(), played);
        QTRY_COMPARE(w->btnLecture->Enfonce(), playingAfter);
        if (second >= 0 && !playingAfter)
            QCOMPARE(w->PlayingIndex, -1);
    }

    void updateQuestion_data()
    {
        zv::test::columns<QByteArray, QString, bool>("announced", "locale", "asked");
        zv::test::row("3.2", QByteArray("3.2"), "C", true);
        zv::test::row("3.1", QByteArray("3.1"), "C", false);
        zv::test::row("3.1.9", QByteArray("3.1.9"), "C", false);
        zv::test::row("3.10", QByteArray("3.10"), "C", false);
        zv::test::row("letters", QByteArray("nouveau"), "C", false);
        zv::test::row("trailing break", QByteArray("3.2\r\n"), "C", false);
        zv::test::row("3,2 under French", QByteArray("3,2"), "fr_FR", true);
        zv::test::row("3.2 under French", QByteArray("3.2"), "fr_FR", true);
    }
    void updateQuestion()
    {
        QFETCH(QByteArray, announced);
        QFETCH(QString, locale);
        QFETCH(bool, asked);
        QLocale::setDefault(QLocale(locale));
        rig->portal.set("/exe/cont.php?c=version", Reply::ok(announced, "text/plain"));
        ModalAnswerer no;
        no.boxes(QMessageBox::No);
        auto w = rig->start();
        QVERIFY(rig->errors.isEmpty());
        QCOMPARE(no.texts.size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(no.texts.first(),
                QStringLiteral(
                    "Une nouvelle version du logiciel est disponible, souhaitez-vous la télécharger ?"));
    }

    void updateAccepted()
    {
        rig->portal.set("/exe/cont.php?c=version", Reply::ok("3.2", "text/plain"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        ModalAnswerer yes;
        yes.boxes(QMessageBox::Yes);
        auto w = CreateThemeWindow(2);
        const bool shown = w->FormCreate();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QVERIFY(!shown);
        QCOMPARE(catcher.urls,
            QList<QUrl>{QUrl(QStringLiteral("http://") + QString::fromLatin1(rig->server.hostPort()) + '/')});
    }

    void sponsorWindow_data()
    {
        zv::test::columns<QByteArray, bool>("answer", "shown");
        zv::test::row("oui inside a text", QByteArray("reponse: oui merci"), true);
        zv::test::row("OUI", QByteArray("OUI"), true);
        zv::test::row("non", QByteArray("NON"), false);
        zv::test::row("empty", QByteArray(), false);
    }
    void sponsorWindow()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, shown);
        rig->portal.set("/exe/cont.php?c=spons", Reply::ok(answer, "text/plain"));
        // The user leaves through the sponsor window: the program ends.
        QString seen;
        ModalAnswerer quit;
        quit.on<TfmSponsor>([&](TfmSponsor* sponsor) {
            seen = QString::fromLatin1(sponsor->metaObject()->className());
            sponsor->reject();
        });
        auto w = CreateThemeWindow(2);
        const bool opened = w->FormCreate();
        QCOMPARE(opened, !shown);
        QCOMPARE(seen, shown ? QStringLiteral("TfmSponsorTheme2") : QString());
    }

    void favouritesAcrossRestart()
    {
        {
            auto w = rig->start();
            QCOMPARE(rowCount(w->lvMODFavoris), 0);
            w->AddFavorite(QStringLiteral("Chanson d'été"), QStringLiteral("http://mp3.example/été.mp3"));
            w->AddFavorite(QStringLiteral("a=b"), QStringLiteral("http://mp3.example/2.mp3"));
            w->AddFavorite(QStringLiteral("a=b"), QStringLiteral("http://mp3.example/2.mp3"));
        }
        {
            auto w = rig->start();
            QCOMPARE(rowCount(w->lvMODFavoris), 3);
            QCOMPARE(at(w->lvMODFavoris, 0).data().toString(), QStringLiteral("Chanson d'été"));
            QCOMPARE(at(w->lvMODFavoris, 0).data(zv::AddressRole).toString(),
                QStringLiteral("http://mp3.example/été.mp3"));
            QCOMPARE(at(w->lvMODFavoris, 2).data().toString(), QStringLiteral("a=b"));
            w->lvMODFavorisModel->removeRow(0);
        }
        TConfig c;
        QCOMPARE(c.GetFavoriteCount(), 2);
        QCOMPARE(c.GetFavoriteTitle(1), QByteArray("a=b"));
        QCOMPARE(c.GetFavoriteTitle(3), QByteArray());
    }

    void closeDuringRequest()
    {
        // The window closes while a request waits for a server that never
        // answers: the wait ends and nothing touches the window afterwards.
        auto w = rig->start();
        w->show();
        rig->portal.set("/exe/medias.php?t=4&colid", Reply::never());
        bool clickEnded = false, busyAtClose = false;
        QTimer::singleShot(0, w.get(), [&] {
            emit w->btnFctRadio->clicked();
            clickEnded = true;
        });
        QTimer::singleShot(400, w.get(), [&] {
            busyAtClose = w->nmhListeCanaux->Busy();
            w->close();
        });
        QTRY_VERIFY(clickEnded);
        QVERIFY(busyAtClose);
        QVERIFY(!w->nmhListeCanaux->Busy());
        w.reset();
    }
};

QTEST_MAIN(TestFenPrinc)
#include "tst_fenprinc.moc"
