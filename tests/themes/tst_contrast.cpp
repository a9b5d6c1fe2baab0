// Every text of every window the program opens, under every theme, is
// readable: the contrast of its glyphs against what the window really draws
// under them is at least 4.5:1 (3:1 for bold text of 14 pixels and more). The
// focus mark of each control Tab reaches shows at 3:1 against what it covers.
// Against the demo portal, so the lists hold real rows.
#include "contrast.h"
#include "portal/nmhttp.h"
#include "portalprocess.h"
#include "support/modalanswerer.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/main/entrymodel.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenconnexion.h"
#include "ui/windows/fenpopup.h"
#include "ui/windows/fenprincpopup.h"
#include "ui/windows/fentelechargement.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <map>

using namespace zv::test;

namespace {

// Runs a call that waits in its own loop while a window shows (a modal
// window, or the one found): reads that window once it is up (its focus marks
// too, if asked), then closes it the way the user would (its escape or
// default button, "Annuler").
QList<TextReading> readWhileWaiting(const std::function<void()>& call, QString* seen = nullptr,
    ModalAnswerer::Finder find = {}, bool marks = false)
{
    QList<TextReading> readings;
    bool done = false;
    ModalAnswerer modals(nullptr, std::move(find));
    modals.on<QWidget>([&](QWidget* window) {
        if (done || !window->isVisible())
            return;
        done = true;
        QTest::qWait(50);
        readings = ReadTexts(window);
        if (marks) {
            QApplication::setActiveWindow(window);
            readings += ReadFocusMarks(window);
        }
        if (seen)
            *seen = QString::fromLatin1(window->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            QAbstractButton* leave = box->escapeButton() ? box->escapeButton() : box->defaultButton();
            if (!leave && !box->buttons().isEmpty())
                leave = box->buttons().constLast();
            if (leave)
                leave->click();
            else
                box->reject();
        } else if (auto* d = qobject_cast<QDialog*>(window)) {
            d->reject();
        } else if (auto* download = qobject_cast<TfmTelechargement*>(window)) {
            download->btnAnnuleClick();
        }
    });
    call();
    return readings;
}

} // namespace

class TestContrast : public QObject {
    Q_OBJECT

    std::unique_ptr<PortalProcess> portal;
    ScriptedServer slow; // a download that lasts
    QTemporaryDir saved;
    std::map<int, std::unique_ptr<TfmPrinc>> windows;

    TfmPrinc* window(int theme)
    {
        auto& w = windows[theme];
        if (!w) {
            w = CreateThemeWindow(theme);
            if (!w->FormCreate())
                return nullptr;
            w->move(0, 0);
            w->show();
            if (!QTest::qWaitForWindowExposed(w.get()))
                return nullptr;
        }
        return w.get();
    }

    // Each section with its lists filled and a row chosen, every tab, and a
    // section button under the mouse.
    QList<TextReading> sections(TfmPrinc* w)
    {
        // The ticker held still with its message in the middle of its strip.
        w->slMessage->setPeriodicite(0);
        w->slMessage->setPas(-(1 << 24));
        w->slMessage->timTimer();
        w->slMessage->repaint();
        w->slMessage->setPas(w->slMessage->width() / 3);
        w->slMessage->timTimer();
        QList<TextReading> all;
        const auto read = [&] {
            QTest::qWait(20);
            all += ReadTexts(w);
        };
        // And the focus marks of every control Tab reaches.
        const auto marks = [&] { all += ReadFocusMarks(activated(w)); };
        w->btnFctClick(w->btnFctTele);
        w->SelectListeCanauxRow(1);
        read();
        marks();
        // The link under the player, with each section's text, as while something plays.
        const auto link = [w](const QString& text) {
            w->lblTelechargerMusique->setText(text);
            w->lblTelechargerMusique->show();
        };
        w->btnFctClick(w->btnFctClipVideo);
        link(QStringLiteral("Télécharge cette musique sur ton pertable"));
        read();
        w->btnFctClick(w->btnFctRadio);
        read();
        w->btnFctClick(w->btnFctChat);
        read();
        w->btnFctClick(w->btnFctJeux);
        for (int i = 0; i < rowCount(w->tvListeJeux); ++i) {
            select(w->tvListeJeux, at(w->tvListeJeux, i));
            w->tvListeJeuxDblClick();
        }
        w->tvListeJeux->expandAll();
        select(w->tvListeJeux, at(w->tvListeJeux, {0, 0}));
        w->tvListeJeuxDblClick();
        read();
        select(w->tvListeJeux, at(w->tvListeJeux, 1));
        read();

        w->btnFctClick(w->btnFctMOD);
        w->pcMOD->setCurrentWidget(w->tsMODFichier);
        w->lvMODFichierModel->append({.kind = zv::EntryKind::File,
            .caption = QStringLiteral("clip.avi"),
            .address = QStringLiteral("/home/moi/Vidéos/clip.avi"),
            .folder = QStringLiteral("/home/moi/Vidéos/")});
        read();
        w->pcMOD->setCurrentWidget(w->tsMODPodcast);
        w->tvMODPodcast->expandAll();
        select(w->tvMODPodcast, at(w->tvMODPodcast, {0, 0, 0}));
        w->tvMODPodcastDblClick();
        // Each mark an episode may carry, on a chosen row and on others.
        for (int row = 0; row < 3; ++row) {
            const QModelIndex episode = at(w->lvMODPodcast, row);
            w->lvMODPodcast->model()->setData(
                episode, int(row == 1 ? zv::EntryMark::Heard : zv::EntryMark::New), zv::MarkRole);
            w->lvMODPodcast->model()->setData(
                episode, row == 2 ? QVariant(qint64(754000)) : QVariant(), zv::PositionRole);
        }
        select(w->lvMODPodcast, at(w->lvMODPodcast, 0));
        read();
        w->pcMOD->setCurrentWidget(w->tsMODRecherche);
        w->edtMODRecherche->setText(QStringLiteral("a"));
        w->btnMODRechercheClick();
        select(w->lvMODRecherche, at(w->lvMODRecherche, 0));
        w->btnMODRechercheFavorisClick();
        read();
        marks();
        w->pcMOD->setCurrentWidget(w->tsMODFavoris);
        select(w->lvMODFavoris, at(w->lvMODFavoris, 0));
        link(QStringLiteral("Achetez votre MP3 à prix discount"));
        read();

        w->btnFctClick(w->btnFctVideo);
        w->edtVideoRecherche->setText(QStringLiteral("zevalo"));
        w->btnVideoRechercheClick();
        select(w->lvVideo, at(w->lvVideo, 0));
        w->lvVideoSelectItem(at(w->lvVideo, 0), true);
        link(QStringLiteral("Mettez et partagez vos vidéos en ligne"));
        read();
        marks();
        w->btnFctClick(w->btnFctSexo);
        read();
        w->btnContactClick();
        read();

        // The captions over the hovered and pressed pictures.
        w->btnFctClick(w->btnFctJeux);
        for (TBtnGraph* b : {w->btnFctTele, w->btnFctJeux}) {
            hover(b, true, QPointF(4, 4));
            read();
            hover(b, false);
        }
        return all;
    }

    static QWidget* activated(QWidget* window)
    {
        QApplication::setActiveWindow(window);
        return window;
    }

    QList<TextReading> shown(QWidget* window)
    {
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            return {};
        QTest::qWait(50);
        return ReadTexts(window) + ReadFocusMarks(activated(window));
    }

private slots:
    void initTestCase()
    {
        portal = startPortalForClient();
        QVERIFY2(portal->started(), "zevalo-portal did not start");
        slow.on("/lent.mp3", Reply::generated(1000000).inPieces(1000, 20));
        slow.on("/refuse.mp3", Reply::status(404));
        TfmTelechargement::setSaveDialog(
            [this](TfmTelechargement*, const QString& name) { return saved.filePath(name); });
    }

    void cleanupTestCase()
    {
        windows.clear();
        portal.reset();
    }

    void readable_data()
    {
        zv::test::columns<int, QString>("theme", "what");
        const char* looks[]
            = {"sections", "menu", "message", "update offer", "address", "files", "game flash", "game page",
                "sponsor", "download", "download failure", "shortcuts", "connection", "theme notice"};
        for (int theme = 1; theme <= 5; ++theme) {
            for (const char* what : looks)
                QTest::addRow("theme %d, %s", theme, what) << theme << QString::fromLatin1(what);
        }
        // The popup agent's windows have no theme.
        QTest::addRow("popup") << 0 << QStringLiteral("popup");
        QTest::addRow("popup agent") << 0 << QStringLiteral("agent");
    }

    void readable()
    {
        QFETCH(int, theme);
        QFETCH(QString, what);
        QList<TextReading> readings;
        QString seen;
        if (theme == 0) {
            if (what == QLatin1String("popup")) {
                TfmPopup popup(nullptr, 168, 214, QStringLiteral("about:blank"));
                readings = shown(&popup);
            } else {
                TfmPrincPopup agent(true);
                agent.memTest->setPlainText(QStringLiteral("Prochaine fenêtre : 2 minutes"));
                readings = shown(&agent);
            }
        } else {
            TfmPrinc* w = window(theme);
            QVERIFY(w);
            if (what == QLatin1String("sections")) {
                readings = sections(w);
                // The episodes' marks were among what was read.
                QCOMPARE(
                    std::count_if(readings.cbegin(), readings.cend(),
                        [](const TextReading& r) { return r.where.endsWith(QLatin1String("row mark")); }),
                    3);
            } else if (what == QLatin1String("menu")) {
                w->btnConfigClick();
                QTRY_VERIFY(w->mnuConfig->isVisible());
                QTest::qWait(50);
                readings = ReadTexts(w->mnuConfig);
                w->mnuConfig->hide();
                // The podcast tab's menu too.
                w->mnuMODPodcastPerso->popup(w->mapToGlobal(QPoint(440, 380)));
                QTRY_VERIFY(w->mnuMODPodcastPerso->isVisible());
                QTest::qWait(50);
                readings += ReadTexts(w->mnuMODPodcastPerso);
                w->mnuMODPodcastPerso->hide();
            } else if (what == QLatin1String("message")) {
                // A launch answer without dimensions.
                w->btnFctClick(w->btnFctJeux);
                select(w->tvListeJeux, at(w->tvListeJeux, 0));
                w->tvListeJeuxDblClick();
                select(w->tvListeJeux, at(w->tvListeJeux, {0, 0}));
                w->nmhJeu->Body = "jeu.swf";
                readings = readWhileWaiting([w] { w->nmhJeuSuccess(0); }, &seen);
                QCOMPARE(seen, QStringLiteral("QMessageBox"));
            } else if (what == QLatin1String("update offer")) {
                w->nmhTestVersion->Body = "99";
                readings = readWhileWaiting([w] { w->nmhTestVersionSuccess(0); }, &seen);
                QCOMPARE(seen, QStringLiteral("QMessageBox"));
            } else if (what == QLatin1String("address")) {
                readings = readWhileWaiting([w] { w->btnMODFichierOuvrirURLClick(); }, &seen);
                QCOMPARE(seen, QStringLiteral("QInputDialog"));
            } else if (what == QLatin1String("files")) {
                readings = readWhileWaiting([w] { w->btnMODFichierOuvrirClick(); }, &seen);
                QCOMPARE(seen, QStringLiteral("QFileDialog"));
            } else if (what.startsWith(QLatin1String("game"))) {
                const QByteArray url = what.endsWith(QLatin1String("flash"))
                    ? portal->base() + "/media/jeux/balle-rebondissante.swf"
                    : portal->base() + "/jeux/casse-briques.htm";
                std::unique_ptr<QDialog> game
                    = w->GameWindowClass()(w, QStringLiteral("Balle rebondissante"), url, 320, 200);
                readings = shown(game.get());
                game->reject();
            } else if (what == QLatin1String("sponsor")) {
                std::unique_ptr<QDialog> sponsor = w->SponsorWindowClass()(w);
                sponsor->open();
                readings = shown(sponsor.get());
                sponsor->reject();
            } else if (what == QLatin1String("download")) {
                auto* download = new TfmTelechargement(w);
                const QPointer<TfmTelechargement> alive(download);
                readings = readWhileWaiting(
                    [&] { download->Start(QString::fromLatin1("http://" + slow.hostPort() + "/lent.mp3")); },
                    &seen, [&] { return alive.data(); }, true);
                QCOMPARE(seen, QStringLiteral("TfmTelechargement"));
                QTRY_VERIFY(!alive);
            } else if (what == QLatin1String("download failure")) {
                // "Erreur", with "Reprendre" beside "Annuler".
                TfmTelechargement download(w);
                download.setAttribute(Qt::WA_DeleteOnClose, false);
                download.Start(QString::fromLatin1("http://" + slow.hostPort() + "/refuse.mp3"));
                QVERIFY(download.btnReprendre->isVisible());
                readings = shown(&download);
                download.close();
            } else if (what == QLatin1String("shortcuts")) {
                readings = readWhileWaiting([w] { w->mnuConfigRaccourcisClick(); }, &seen, {}, true);
                QCOMPARE(seen, QStringLiteral("TfmRaccourcis"));
            } else if (what == QLatin1String("connection")) {
                TfmConnexion connexion(w);
                connexion.timConnexion->stop();
                connexion.open();
                connexion.timConnexion->stop();
                readings = shown(&connexion);
                connexion.reject();
            } else if (what == QLatin1String("theme notice")) {
                // The last look at this theme: the notice closes the window.
                QAction* other = w->mnuConfigThemes->actions().first();
                readings = readWhileWaiting([w, other] { w->mnuConfigThemeClick(other); }, &seen);
                QCOMPARE(seen, QStringLiteral("QMessageBox"));
                windows.erase(theme);
            }
        }
        QVERIFY2(!readings.isEmpty(), "no text read");
        QVERIFY2(Unreadable(readings).isEmpty(), qPrintable(QLatin1Char('\n') + Unreadable(readings)));
        QVERIFY2(CutOff(readings).isEmpty(), qPrintable(QLatin1Char('\n') + CutOff(readings)));
    }
};

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
