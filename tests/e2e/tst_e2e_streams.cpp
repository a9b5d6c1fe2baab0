// Every stream the demo portal lists plays through the main window, as a user
// would start it: zevalo-portal in its own process, the three real engines. Per
// row: the engine its address selects, IsPlaying, a moving position, and never
// an error in the status line. A row that does not play fails its list.
#include "app/config.h"
#include "portalprocess.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadplayer.h"
#include "ui/player/enginechoice.h"
#include "ui/player/playererror.h"
#include "ui/themes/themes.h"

#include <QApplication>
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
#include <QUrl>

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
    void playsAgainAfterItsEnd_data();
    void playsAgainAfterItsEnd();
    void firstWmvPictureAfterASectionChange();
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
    zv::test::row("Télévision", List::Tele);
    zv::test::row("bouquet free", List::Bouquet1);
    zv::test::row("bouquet orange", List::Bouquet2);
    zv::test::row("bouquet clubinternet", List::Bouquet3);
    zv::test::row("bouquet belgacom", List::Bouquet4);
    zv::test::row("Radios", List::Radios);
    zv::test::row("Clips vidéo", List::Clips);
    zv::test::row("podcast episodes", List::Podcasts);
    zv::test::row("MP3 search", List::Mp3);
    zv::test::row("MP3 favourites", List::Favoris);
    zv::test::row("Vidéos", List::Videos);
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

namespace {

// The channel row whose caption is `name`, selected; its address.
QString selectChannel(TfmPrinc* w, const QString& name)
{
    const QModelIndex row = find(w->lvListeCanaux, name);
    select(w->lvListeCanaux, row);
    return row.data(zv::AddressRole).toString();
}

// How many requests for `path` the portal has logged.
int requestsFor(const PortalProcess& portal, const QString& path)
{
    QFile log(portal.logFile());
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    return int(log.readAll().count(path.toUtf8()));
}

QWidget* fullScreenWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->isFullScreen())
            return top;
    return nullptr;
}

bool buffering(const QString& status)
{
    return status.startsWith(QStringLiteral("Mise en mémoire tampon"));
}

} // namespace

void TestE2EStreams::playsAgainAfterItsEnd_data()
{
    // A television channel per engine; its content id goes in the beacon.
    zv::test::columns<QString, int>("channel", "id");
    zv::test::row("Qt Multimedia, .wmv", "Bruxelles Infos", 103);
    zv::test::row("libmpv, .rm", QStringLiteral("Léman Télévision"), 104);
    zv::test::row("libVLC, .flv", QStringLiteral("Canal Découverte"), 102);
}

void TestE2EStreams::playsAgainAfterItsEnd()
{
    QFETCH(QString, channel);
    QFETCH(int, id);
    const QString beacon = QStringLiteral("/exe/vu.php?id=%1").arg(id);
    open(List::Tele);
    const QString url = selectChannel(w.get(), channel);
    const QString file = QUrl(ChooseEngine(url).url).path();
    const int beacons = requestsFor(*portal, beacon), fetched = requestsFor(*portal, file);
    for (int round = 1; round <= 2; ++round) {
        QSignalSpy messages(w->frmPlayer, &TfrmPlayer::Message);
        emit w->lvListeCanaux->doubleClicked(selected(w->lvListeCanaux));
        QTRY_VERIFY_WITH_TIMEOUT(w->btnLecture->Enfonce(), kWait);
        QVERIFY(w->btnPleinEcran->Actif());
        QVERIFY2(w->frmPlayer->GetPosition() < 0.5, "not from the start");
        // Each play of the row tells the portal, and fetches the stream once.
        QTRY_COMPARE_WITH_TIMEOUT(requestsFor(*portal, beacon), beacons + round, kWait);
        // To its end: "Lecture" and full screen are released.
        QTRY_VERIFY_WITH_TIMEOUT(!w->btnLecture->Enfonce(), kWait);
        QVERIFY(!w->btnPleinEcran->Actif());
        QTRY_COMPARE_WITH_TIMEOUT(requestsFor(*portal, file), fetched + round, kWait);
        // Nothing to show: a click on the greyed button opens no black window.
        emit w->btnPleinEcran->clicked();
        QVERIFY(!fullScreenWindow());
        QVERIFY(!w->frmPlayer->playerControl()->isFullScreen());
        for (const QList<QVariant>& m : messages)
            QVERIFY2(normalStatus(m.at(1).toString()), qPrintable(m.at(1).toString()));
    }

    // Some way in, then "Arrêt": the status says so, and no buffering news
    // follows, neither there nor in the sections entered afterwards.
    emit w->lvListeCanaux->doubleClicked(selected(w->lvListeCanaux));
    QTRY_VERIFY_WITH_TIMEOUT(w->btnLecture->Enfonce() && w->frmPlayer->GetPosition() > 0.2, kWait);
    emit w->btnLecture->clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!w->btnLecture->Enfonce(), kWait);
    QTest::qWait(500);
    QCOMPARE(w->lblStatutPlayer->text(), QStringLiteral("Arrêté."));
    QCOMPARE(w->frmPlayer->GetPosition(), 0.0); // back at the start
    for (TBtnGraph* section : {w->btnFctMOD, w->btnFctVideo}) {
        emit section->clicked();
        QTest::qWait(500);
        QVERIFY2(!buffering(w->lblStatutPlayer->text()), qPrintable(w->lblStatutPlayer->text()));
    }
}

void TestE2EStreams::firstWmvPictureAfterASectionChange()
{
    emit w->btnFctRadio->clicked();
    open(List::Tele);
    const QString url = selectChannel(w.get(), QStringLiteral("Bruxelles Infos"));
    const QString file = QUrl(url).path();
    const int fetched = requestsFor(*portal, file);
    QSignalSpy messages(w->frmPlayer, &TfrmPlayer::Message);
    emit w->lvListeCanaux->doubleClicked(selected(w->lvListeCanaux));
    QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), kWait);
    PlayerEngine* control = w->frmPlayer->playerControl();
    // The picture comes with the sound: something other than black shows
    // within the stream's first half (each channel lasts 6 s).
    const auto pictureShows = [&] {
        const QImage shot = control->grab().toImage();
        for (int y = 0; y < shot.height(); y += 4)
            for (int x = 0; x < shot.width(); x += 4)
                if (qGray(shot.pixel(x, y)) > 40)
                    return true;
        return false;
    };
    qint64 shownAt = -1;
    (void)QTest::qWaitFor(
        [&] {
            if (pictureShows())
                shownAt = control->position();
            return shownAt >= 0 || !w->frmPlayer->IsPlaying();
        },
        kWait);
    QVERIFY2(shownAt >= 0 && shownAt < 3000, qPrintable(QString::number(shownAt)));

    // A pause holds the time still, and says so.
    emit w->btnPause->clicked();
    QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPaused(), kWait);
    QCOMPARE(w->lblStatutPlayer->text(), QStringLiteral("En pause"));
    const qint64 held = control->position();
    QTest::qWait(800);
    QVERIFY2(qAbs(control->position() - held) < 100, qPrintable(QString::number(control->position() - held)));
    emit w->btnPause->clicked();

    // Never back to its start, and one download of the stream.
    qint64 last = control->position();
    bool wentBack = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const qint64 now = control->position();
            wentBack = wentBack || (w->frmPlayer->IsPlaying() && now + 500 < last);
            last = now;
            return !w->frmPlayer->IsPlaying() && !w->frmPlayer->IsPaused();
        }(),
        kWait);
    QVERIFY(!wentBack);
    QCOMPARE(requestsFor(*portal, file), fetched + 1);
    for (const QList<QVariant>& m : messages)
        QVERIFY2(m.at(1).toString() == QStringLiteral("En pause") || normalStatus(m.at(1).toString()),
            qPrintable(m.at(1).toString()));
}

QTEST_MAIN(TestE2EStreams)
#include "tst_e2e_streams.moc"
