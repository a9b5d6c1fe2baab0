// Every stream the demo portal lists plays through the main window, as a user
// would start it: zevalo-portal in its own process, the three real engines. Per
// row: the engine its address selects, IsPlaying, a moving position, and never
// an error in the status line. A row that does not play fails its list.
#include "app/config.h"
#include "portalprocess.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadplayer.h"
#include "ui/player/enginechoice.h"
#include "ui/player/playererror.h"
#include "ui/themes/themes.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

namespace {

enum class List {
    Tele,
    Bouquet1,
    Bouquet2,
    Bouquet3,
    Bouquet4,
    Radios,
    Clips,
    Podcasts,
    Mp3,
    Favoris,
    Videos
};

constexpr int kWait = 20000;

// What a stream that plays may say.
bool normalStatus(const QString& text)
{
    return text == QLatin1String("Connexion...") || text == QLatin1String("Lecture en cours...")
        || text == QStringLiteral("Arrêté.") || text == QStringLiteral("Fin du média.")
        || text == PlayerNoSoundText() || text.startsWith(QStringLiteral("Mise en mémoire tampon : "));
}

// Asks for more until the list stops growing.
void pageToEnd(QAbstractItemView* list, QPushButton* search, QPushButton* more)
{
    search->click();
    for (int before = -1; rowCount(list) != before;) {
        before = rowCount(list);
        more->click();
    }
}

} // namespace

Q_DECLARE_METATYPE(List)

class TestE2EStreams : public QObject {
    Q_OBJECT

    std::unique_ptr<PortalProcess> portal;
    std::unique_ptr<TfmPrinc> w;
    QList<QPersistentModelIndex> podcasts; // the podcast of each episode row, in order
    QList<int> episodes; // its row in the episode list

    // Shows the list; how many rows it has.
    int open(List list);
    // Double-clicks row i; its address.
    QString play(List list, int i);
    // Empty when row i played as it should, else what went wrong.
    QString check(List list, int i);

private slots:
    void initTestCase()
    {
        portal = startPortalForClient();
        QVERIFY2(portal->started(), "zevalo-portal did not start");
        QFile::remove(TConfig().path());
        // One window for every list, as a user goes from section to section.
        w = CreateThemeWindow(2);
        QVERIFY(w->FormCreate());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        // The status loop as it is, only quicker to see a start or a stop.
        w->timLecture->setInterval(50);
    }
    void cleanupTestCase()
    {
        w.reset();
        portal.reset();
        QFile::remove(TConfig().path());
    }

    void everyRowPlays_data();
    void everyRowPlays();
};

int TestE2EStreams::open(List list)
{
    switch (list) {
    case List::Tele:
    case List::Bouquet1:
    case List::Bouquet2:
    case List::Bouquet3:
    case List::Bouquet4: {
        emit w->btnFctTele->clicked();
        const int bouquet = int(list) - int(List::Tele);
        w->cmbBouquet->setCurrentIndex(bouquet);
        emit w->cmbBouquet->activated(bouquet);
        return w->lvListeCanauxModel->rowCount();
    }
    case List::Radios: emit w->btnFctRadio->clicked(); return w->lvListeCanauxModel->rowCount();
    case List::Clips: emit w->btnFctClipVideo->clicked(); return w->lvListeCanauxModel->rowCount();
    case List::Podcasts: {
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODPodcast);
        podcasts.clear();
        episodes.clear();
        QTreeView* tree = w->tvMODPodcast;
        for (int g = 0; g < rowCount(tree); ++g) {
            for (int s = 0; s < rowCount(tree, at(tree, g)); ++s) {
                const QModelIndex subgroup = at(tree, s, at(tree, g));
                tree->expand(subgroup.parent());
                tree->expand(subgroup);
                for (int p = 0; p < rowCount(tree, subgroup); ++p) {
                    const QModelIndex podcast = at(tree, p, subgroup);
                    tree->setCurrentIndex(podcast);
                    doubleClick(tree, podcast);
                    for (int e = 0; e < rowCount(w->lvMODPodcast); ++e) {
                        podcasts << podcast;
                        episodes << e;
                    }
                }
            }
        }
        return int(episodes.size());
    }
    case List::Mp3:
    case List::Favoris:
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODRecherche);
        w->edtMODRecherche->clear();
        pageToEnd(w->lvMODRecherche, w->btnMODRecherche, w->btnMODRechercheSuite);
        if (list == List::Mp3)
            return rowCount(w->lvMODRecherche);
        w->lvMODFavorisModel->clear();
        for (int i = 0; i < rowCount(w->lvMODRecherche); ++i) {
            select(w->lvMODRecherche, at(w->lvMODRecherche, i));
            w->btnMODRechercheFavoris->click();
        }
        w->pcMOD->setCurrentWidget(w->tsMODFavoris);
        return rowCount(w->lvMODFavoris);
    case List::Videos:
        emit w->btnFctVideo->clicked();
        w->edtVideoRecherche->clear();
        pageToEnd(w->lvVideo, w->btnVideoRecherche, w->btnVideoSuite);
        return rowCount(w->lvVideo);
    }
    return 0;
}

QString TestE2EStreams::play(List list, int i)
{
    const auto row = [](QAbstractItemView* view, int i) {
        doubleClick(view, at(view, i));
        return at(view, i).data(zv::AddressRole).toString();
    };
    switch (list) {
    case List::Podcasts:
        if (w->tvMODPodcast->currentIndex() != podcasts[i]) {
            w->tvMODPodcast->setCurrentIndex(podcasts[i]);
            doubleClick(w->tvMODPodcast, podcasts[i]);
        }
        return row(w->lvMODPodcast, episodes[i]);
    case List::Mp3: return row(w->lvMODRecherche, i);
    case List::Favoris: return row(w->lvMODFavoris, i);
    case List::Videos: return row(w->lvVideo, i);
    default: return row(w->lvListeCanaux, i);
    }
}

QString TestE2EStreams::check(List list, int i)
{
    TfrmPlayer* player = w->frmPlayer;
    QSignalSpy messages(player, &TfrmPlayer::Message);
    const QString url = play(list, i);
    const auto verdict = [&]() -> const char* {
        // The play button turns to stop: the status loop saw the engine play.
        if (!QTest::qWaitFor([&] { return player->IsPlaying() && w->btnLecture->Enfonce(); }, kWait))
            return "does not play";
        if (!player->playerControl() || player->playerControl()->kind() != ChooseEngine(url).engine)
            return "not the engine its address selects";
        // Without a sound device Qt's GStreamer player sends a sound alone to a
        // sink that keeps no time: it may run through to its end at once, and
        // the position reads 0 again once it has ended.
        const auto playedThrough = [&] {
            for (const QList<QVariant>& m : messages)
                if (m.at(1).toString() == QStringLiteral("Fin du média."))
                    return true;
            return false;
        };
        const double first = player->GetPosition();
        if (!QTest::qWaitFor([&] { return player->GetPosition() > first || playedThrough(); }, kWait))
            return "position does not move";
        for (const QList<QVariant>& m : messages) {
            if (!normalStatus(m.at(1).toString()))
                return "an error reached the status line";
        }
        return normalStatus(w->lblStatutPlayer->text()) ? nullptr : "an error stays in the status line";
    }();
    // Stopped through the same button, for the next row's double-click.
    if (w->btnLecture->Enfonce()) {
        emit w->btnLecture->clicked();
        if (!QTest::qWaitFor([&] { return !w->btnLecture->Enfonce(); }, kWait))
            return QStringLiteral("row %1 (%2): does not stop").arg(i).arg(url);
    }
    if (!verdict)
        return {};
    QStringList said;
    for (const QList<QVariant>& m : messages)
        said << m.at(1).toString();
    return QStringLiteral("row %1 (%2): %3; status: %4")
        .arg(i)
        .arg(url, QLatin1String(verdict), said.join('|'));
}

void TestE2EStreams::everyRowPlays_data()
{
    QTest::addColumn<List>("list");
    QTest::newRow("Télévision") << List::Tele;
    QTest::newRow("bouquet free") << List::Bouquet1;
    QTest::newRow("bouquet orange") << List::Bouquet2;
    QTest::newRow("bouquet clubinternet") << List::Bouquet3;
    QTest::newRow("bouquet belgacom") << List::Bouquet4;
    QTest::newRow("Radios") << List::Radios;
    QTest::newRow("Clips vidéo") << List::Clips;
    QTest::newRow("podcast episodes") << List::Podcasts;
    QTest::newRow("MP3 search") << List::Mp3;
    QTest::newRow("MP3 favourites") << List::Favoris;
    QTest::newRow("Vidéos") << List::Videos;
}

void TestE2EStreams::everyRowPlays()
{
    QFETCH(List, list);
    const int rows = open(list);
    QVERIFY2(rows > 0, "the portal listed nothing");
    QStringList failures;
    for (int i = 0; i < rows; ++i) {
        const QString failure = check(list, i);
        if (!failure.isEmpty())
            failures << failure;
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
}

QTEST_MAIN(TestE2EStreams)
#include "tst_e2e_streams.moc"
