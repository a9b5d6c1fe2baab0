// zv_main_shots: opens the theme window and shows it for screenshots under Xvfb.
//
//   zv_main_shots [THEME] [STEP] [PORTAL_HOST]
// walks through the sections, one every STEP seconds: home, television
// (bouquet 0), its first channel playing, television (bouquet 1), radios,
// clips, chat, media on demand, games, videos, contact. With PORTAL_HOST (a
// demo portal's host:port) the scripted portal is not used.
//
//   zv_main_shots walk THEME OUTDIR PORTAL_HOST
// opens every section, the settings menu, the dialogs and the auxiliary
// windows of the theme one after the other against the demo portal, and saves
// what the screen shows of each into OUTDIR (NN-name.png), at the screen's
// density (run it with QT_SCALE_FACTOR=2 for the 2x pictures). Ends by itself.
//
//   zv_main_shots player THEME OUTDIR PORTAL_HOST
// the same for the player alone: a .wmv channel from its first picture to its
// end, then a stop and the sections entered afterwards.
#include "app/startup.h"
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "portal/userstate.h"
#include "support/fakeportal.h"
#include "support/shotwindow.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/playqueue.h"
#include "ui/player/cadplayer.h"
#include "ui/tv/ownlistmodel.h"
#include "ui/windows/fenconnexion.h"
#include "ui/windows/fentelechargement.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

using namespace zv::test;

namespace {

int sections(int theme, int step, const QByteArray& host, ScriptedServer& server)
{
    qputenv("ZEVALO_PORTAL_HOST", host.isEmpty() ? server.hostPort() : host);
    auto w = ShowThemeWindow(theme);
    if (!w)
        return 1;
    TfmPrinc* p = w.get();
    const QList<std::function<void()>> steps = {
        [p] { emit p->btnFctTele->clicked(); },
        [p] { emit p->btnLecture->clicked(); },
        [p] {
            p->cmbBouquet->setCurrentIndex(1);
            emit p->cmbBouquet->activated(1);
        },
        [p] { emit p->btnFctRadio->clicked(); },
        [p] { emit p->btnFctClipVideo->clicked(); },
        [p] { emit p->btnFctChat->clicked(); },
        [p] { emit p->btnFctMOD->clicked(); },
        [p] { emit p->btnFctJeux->clicked(); },
        [p] { emit p->btnFctVideo->clicked(); },
        [p] { emit p->btnContact->clicked(); },
    };
    for (int i = 0; i < steps.size(); ++i)
        QTimer::singleShot((i + 1) * step * 1000, p, steps[i]);
    return QApplication::exec();
}

// ---- the walk ---------------------------------------------------------------

struct Walk {
    TfmPrinc* w = nullptr;
    QString out;
    int shot = 0;

    // What the screen shows of the main window and of the given windows.
    void save(const QString& name, const QList<QWidget*>& windows = {})
    {
        QRect area = w->frameGeometry();
        for (QWidget* other : windows) {
            if (other && other->isVisible())
                area = area.united(other->frameGeometry());
        }
        QScreen* screen = w->screen();
        const QPixmap pixels = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        const QString file
            = QDir(out).filePath(QStringLiteral("%1-%2.png").arg(++shot, 2, 10, QLatin1Char('0')).arg(name));
        pixels.save(file);
        std::printf("saved %s (%dx%d)\n", qPrintable(file), int(pixels.width()), int(pixels.height()));
        std::fflush(stdout);
    }
};

// A step acts, then calls next once the screen may be saved.
using Next = std::function<void()>;
using Step = std::function<void(Next)>;

void later(int ms, const std::function<void()>& f)
{
    QTimer::singleShot(ms, qApp, [f] { zv::guarded(f); });
}

// The modal window on screen, if any.
QWidget* modalWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->windowModality() != Qt::NonModal)
            return top;
    }
    return nullptr;
}

// While a modal window waits in its own loop: once it is up, save it after a
// while, then close it.
void whileModal(Walk& walk, const QString& name, int ms, int tries = 100)
{
    later(200, [&walk, name, ms, tries] {
        if (!modalWindow() && tries > 0) {
            whileModal(walk, name, ms, tries - 1);
            return;
        }
        later(ms, [&walk, name] {
            QWidget* modal = modalWindow();
            walk.save(name, {modal});
            if (auto* d = qobject_cast<QDialog*>(modal))
                d->reject();
            else if (modal)
                modal->close();
        });
    });
}

// Opens every category of the games tree.
void openCategories(TfmPrinc* p)
{
    for (int i = 0; i < rowCount(p->tvListeJeux); ++i) {
        select(p->tvListeJeux, at(p->tvListeJeux, i));
        p->tvListeJeuxDblClick();
    }
}

void playGame(Walk& walk, const QString& game, const QString& name)
{
    TfmPrinc* p = walk.w;
    openCategories(p);
    select(p->tvListeJeux, find(p->tvListeJeux, game));
    whileModal(walk, name, 6000);
    p->btnJouerClick();
}

// The name the walk's own list goes by.
constexpr const char* ShotListName = "Démo (capture)";

// player: only the player's own moments instead of the whole walk.
int walk(int theme, const QString& out, const QByteArray& host, ScriptedServer& slow, bool player)
{
    qputenv("ZEVALO_PORTAL_HOST", host);
    QDir().mkpath(out);
    const QString saveDir = QDir(out).filePath(QStringLiteral("downloads"));
    QDir().mkpath(saveDir);
    TfmTelechargement::setSaveDialog(
        [saveDir](TfmTelechargement*, const QString& name) { return QDir(saveDir).filePath(name); });

    auto window = ShowThemeWindow(theme);
    if (!window)
        return 1;
    static Walk walk;
    walk.w = window.get();
    walk.out = out;
    TfmPrinc* p = walk.w;

    const auto shoot = [](const QString& name, int ms, const std::function<void()>& act) -> Step {
        return [name, ms, act](Next next) {
            act();
            later(ms, [name, next] {
                walk.save(name);
                next();
            });
        };
    };
    const auto modal = [](const QString& name, const std::function<void()>& act) -> Step {
        return [name, act](Next next) {
            whileModal(walk, name, 800);
            act();
            later(300, next);
        };
    };

    // The first .wmv after a section change, paused, at its end, full screen
    // asked after it, a stop, and the sections entered with nothing playing.
    const QList<Step> playerSteps = {
        shoot(QStringLiteral("wmv-premiere-image"), 1500,
            [p] {
                p->btnFctClick(p->btnFctRadio);
                p->btnFctClick(p->btnFctTele);
                select(p->lvListeCanaux, find(p->lvListeCanaux, QStringLiteral("Bruxelles Infos")));
                p->btnLectureClick(p->btnLecture);
            }),
        shoot(QStringLiteral("wmv-pause"), 1000, [p] { p->btnPauseClick(); }),
        shoot(QStringLiteral("wmv-fin"), 7000, [p] { p->btnPauseClick(); }),
        shoot(QStringLiteral("wmv-plein-ecran-apres-fin"), 1000, [p] { emit p->btnPleinEcran->clicked(); }),
        shoot(QStringLiteral("wmv-arret"), 2500,
            [p] {
                p->btnLectureClick(p->btnLecture);
                later(1500, [p] { p->btnLectureClick(p->btnLecture); });
            }),
        shoot(QStringLiteral("mod-apres-arret"), 1500, [p] { p->btnFctClick(p->btnFctMOD); }),
        shoot(QStringLiteral("videos-apres-arret"), 1500, [p] { p->btnFctClick(p->btnFctVideo); }),
    };

    QList<Step> steps = {
        shoot(QStringLiteral("accueil"), 3000, [] {}),
        shoot(QStringLiteral("television"), 2000,
            [p] {
                p->btnFctClick(p->btnFctTele);
                p->SelectListeCanauxRow(0);
            }),
        shoot(QStringLiteral("television-lecture"), 3500, [p] { p->btnLectureClick(p->btnLecture); }),
        // The demo portal's own list, added as a user would: its rows with
        // logos and now/next, narrowed by typing, kept in "Mes chaînes", its
        // guide; then removed, so the walk leaves nothing behind.
        modal(QStringLiteral("dialogue-liste"),
            [p] {
                p->cmbBouquet->setCurrentIndex(p->cmbBouquet->count() - 1);
                p->cmbBouquetChange();
            }),
        shoot(QStringLiteral("liste-perso"), 5000,
            [p, host] {
                for (const auto& list : zv::UserState::instance().ownLists())
                    if (list.name == QString::fromUtf8(ShotListName))
                        zv::UserState::instance().removeOwnList(list.id);
                zv::UserState::instance().addOwnList({0, QString::fromUtf8(ShotListName),
                    QStringLiteral("http://%1/listes/zevalo.m3u").arg(QString::fromLatin1(host)), {}});
                p->FillOwnLists();
                p->cmbBouquet->setCurrentIndex(p->cmbBouquet->count() - 2);
                p->cmbBouquetChange();
            }),
        shoot(QStringLiteral("liste-perso-recherche"), 1500,
            [p] {
                p->edtRechercheCanaux->setText(QStringLiteral("info"));
                p->edtRechercheCanaux->setFocus();
            }),
        shoot(QStringLiteral("mes-chaines"), 2500,
            [p] {
                for (int i = 0; i < rowCount(p->lvListeCanaux); ++i)
                    p->AddMesChaine(zv::sourceIndex(at(p->lvListeCanaux, i)));
                p->cmbBouquet->setCurrentIndex(TfmPrinc::MesChainesIndex);
                p->cmbBouquetChange();
                p->SelectListeCanauxRow(0);
                p->btnLectureClick(p->btnLecture);
            }),
        [p](Next next) {
            p->SelectListeCanauxRow(0);
            p->ShowGuide(zv::selectedSource(p->lvListeCanaux));
            later(1500, [p, next] {
                QWidget* guide = nullptr;
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (top->objectName() == QLatin1String("fmGuide") && top->isVisible())
                        guide = top;
                if (guide)
                    guide->move(p->frameGeometry().topRight() - QPoint(guide->width() / 2, -40));
                later(500, [p, guide, next] {
                    walk.save(QStringLiteral("guide"), {guide});
                    if (guide)
                        guide->close();
                    for (const auto& list : zv::UserState::instance().ownLists())
                        if (list.name == QString::fromUtf8(ShotListName))
                            zv::UserState::instance().removeOwnList(list.id);
                    while (p->lvMesChainesModel->rowCount() > 0)
                        p->RemoveMesChaine(p->lvMesChainesModel->index(0));
                    p->FillOwnLists();
                    next();
                });
            });
        },
        // A clip playing, with the link under the player (once the status
        // loop has seen the television stop).
        shoot(QStringLiteral("clips"), 4500,
            [p] {
                p->btnFctClick(p->btnFctClipVideo);
                p->SelectListeCanauxRow(1);
                later(1200, [p] { p->btnLectureClick(p->btnLecture); });
            }),
        shoot(QStringLiteral("radios"), 2000, [p] { p->btnFctClick(p->btnFctRadio); }),
        shoot(QStringLiteral("jeux"), 3000,
            [p] {
                p->btnFctClick(p->btnFctJeux);
                openCategories(p);
                select(p->tvListeJeux, at(p->tvListeJeux, {0, 0}));
                p->tvListeJeuxDblClick();
            }),
        shoot(QStringLiteral("chat"), 3000, [p] { p->btnFctClick(p->btnFctChat); }),
        shoot(QStringLiteral("mod-fichiers"), 2000,
            [p] {
                p->btnFctClick(p->btnFctMOD);
                p->pcMOD->setCurrentWidget(p->tsMODFichier);
            }),
        shoot(QStringLiteral("mod-podcast"), 3000,
            [p] {
                p->pcMOD->setCurrentWidget(p->tsMODPodcast);
                p->tvMODPodcast->expandAll();
                if (const QModelIndex podcast = at(p->tvMODPodcast, {0, 0, 0}); podcast.isValid()) {
                    select(p->tvMODPodcast, podcast);
                    p->tvMODPodcastDblClick();
                }
            }),
        shoot(QStringLiteral("mod-recherche"), 2500,
            [p] {
                p->pcMOD->setCurrentWidget(p->tsMODRecherche);
                p->edtMODRecherche->setText(QStringLiteral("a"));
                p->btnMODRechercheClick();
                select(p->lvMODRecherche, at(p->lvMODRecherche, 1));
            }),
        shoot(QStringLiteral("mod-favoris"), 1500,
            [p] {
                for (int i = 0; i < 3; ++i) {
                    if (const QModelIndex row = at(p->lvMODRecherche, i); row.isValid()) {
                        select(p->lvMODRecherche, row);
                        p->btnMODRechercheFavorisClick();
                    }
                }
                p->pcMOD->setCurrentWidget(p->tsMODFavoris);
            }),
        shoot(QStringLiteral("videos"), 3500,
            [p] {
                p->btnFctClick(p->btnFctVideo);
                p->edtVideoRecherche->setText(QStringLiteral("zevalo"));
                p->btnVideoRechercheClick();
                if (const QModelIndex row = at(p->lvVideo, 0); row.isValid()) {
                    select(p->lvVideo, row);
                    p->lvVideoSelectItem(row, true);
                }
            }),
        shoot(QStringLiteral("sexoflux"), 3000, [p] { p->btnFctClick(p->btnFctSexo); }),
        shoot(QStringLiteral("contact"), 3000, [p] { p->btnContactClick(); }),
        // The mouse over a section button (theme 1 shows its highlight).
        [p](Next next) {
            hover(p->btnFctJeux, true, QPointF(5, 5));
            later(600, [p, next] {
                walk.save(QStringLiteral("survol"));
                hover(p->btnFctJeux, false);
                next();
            });
        },
        [p](Next next) {
            p->btnConfigClick();
            later(1000, [p, next] {
                walk.save(QStringLiteral("menu"), {p->mnuConfig});
                p->mnuConfig->hide();
                next();
            });
        },
        // The theme notice, as the settings menu shows it.
        modal(QStringLiteral("message-theme"),
            [p] {
                QMessageBox::information(p, QGuiApplication::applicationDisplayName(),
                    QStringLiteral("Vous devez relancer le programme pour utiliser le nouveau thème."),
                    QMessageBox::Ok);
            }),
        // A launch answer without dimensions: the games section's message.
        modal(QStringLiteral("message-jeu"),
            [p] {
                p->btnFctClick(p->btnFctJeux);
                openCategories(p);
                select(p->tvListeJeux, at(p->tvListeJeux, {0, 0}));
                p->nmhJeu->Body = "jeu.swf";
                p->nmhJeuSuccess(0);
            }),
        modal(QStringLiteral("dialogue-url"), [p] { p->btnMODFichierOuvrirURLClick(); }),
        modal(QStringLiteral("dialogue-fichiers"), [p] { p->btnMODFichierOuvrirClick(); }),
        [](Next next) {
            playGame(walk, QStringLiteral("Balle rebondissante"), QStringLiteral("jeu-flash"));
            later(300, next);
        },
        [](Next next) {
            playGame(walk, QStringLiteral("Casse-briques"), QStringLiteral("jeu-html"));
            later(300, next);
        },
        [p](Next next) {
            std::unique_ptr<QDialog> sponsor = p->SponsorWindowClass()(p);
            QDialog* d = sponsor.release();
            d->setAttribute(Qt::WA_DeleteOnClose);
            d->open();
            later(4000, [d, next] {
                walk.save(QStringLiteral("sponsor"), {d});
                d->reject();
                next();
            });
        },
        [p, &slow](Next next) {
            auto* download = new TfmTelechargement(p);
            QTimer::singleShot(0, download, [download, &slow] {
                download->Start(QString::fromLatin1("http://" + slow.hostPort() + "/mp3/Morceau%20lent.mp3"));
            });
            later(2500, [download, next] {
                walk.save(QStringLiteral("telechargement"), {download});
                download->btnAnnuleClick();
                next();
            });
        },
        [p](Next next) {
            auto* connexion = new TfmConnexion(p);
            connexion->setAttribute(Qt::WA_DeleteOnClose);
            connexion->timConnexion->stop();
            connexion->open();
            connexion->timConnexion->stop();
            later(800, [connexion, next] {
                walk.save(QStringLiteral("connexion"), {connexion});
                connexion->reject();
                next();
            });
        },
    };

    if (player)
        steps = playerSteps;
    static std::function<void(int)> run;
    run = [steps](int i) {
        if (i >= steps.size()) {
            QApplication::quit();
            return;
        }
        zv::guarded([&] { steps[i]([i] { QTimer::singleShot(0, qApp, [i] { run(i + 1); }); }); });
    };
    QTimer::singleShot(0, qApp, [] { run(0); });
    const int status = QApplication::exec();
    window.reset();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    SetupApplication(app); // the program's title and French dialogs
    ScriptedServer server;
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (argc > 4 && (mode == "walk" || mode == "player")) {
        // A slow download keeps its window up long enough to be seen.
        server.on("/mp3/Morceau%20lent.mp3", Reply::generated(1000000).inPieces(1000, 20));
        return walk(
            atoi(argv[2]), QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]), server, mode == "player");
    }
    FakePortal portal(server);
    return sections(argc > 1 ? atoi(argv[1]) : 2, argc > 2 ? atoi(argv[2]) : 3,
        argc > 3 ? QByteArray(argv[3]) : QByteArray(), server);
}
