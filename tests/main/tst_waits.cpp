// The main window while its requests wait inside one another: choices made
// during each kind of wait (a late answer, an answer in pieces, one that never
// comes) leave the list, its labels and the player as the last choice on
// screen wants them, and no aborted request reaches the user.
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

namespace {

// An answer held back the way a row asks: "late", "pieces" or "never".
Reply held(const QByteArray& how, const QByteArray& body)
{
    if (how == "never")
        return Reply::never();
    Reply r = Reply::ok(body, "text/plain");
    if (how == "late")
        r.delayed(400);
    else if (how == "pieces")
        r.inPieces(7, 30);
    return r;
}

const QByteArray kBouquetPaths[] = {"/exe/medias.php?t=3&colid", "/bouquet/free.m3u", "/bouquet/orange.m3u",
    "/bouquet/clubinternet.m3u", "/bouquet/belgacom.m3u"};

QByteArray bouquetAnswer(int index)
{
    if (index == 0)
        return channelRecords(40);
    const QByteArray n = QByteArray::number(index);
    return "#EXTM3U\r\n#EXTINF:0,1 - Bouquet " + n + "\r\nrtsp://box.example/" + n + "\r\n";
}

// What the section on screen lists, in a few words.
QString content(const TfmPrinc* w)
{
    if (!w->panListeCanaux->isHidden())
        return w->lblListeCanaux->text() + QStringLiteral(": %1").arg(w->lvListeCanauxModel->rowCount());
    if (!w->panListeJeux->isHidden())
        return QStringLiteral("Jeux: %1").arg(rowCount(w->tvListeJeux));
    if (!w->pcMOD->isHidden())
        return QStringLiteral("Podcasts: %1").arg(rowCount(w->tvMODPodcast));
    return {};
}

QStringList pressed(const TfmPrinc* w)
{
    QStringList out;
    for (const TBtnGraph* b : w->sectionButtons()) {
        if (b->Enfonce())
            out << b->objectName();
    }
    return out;
}

} // namespace

class TestWaits : public MainWindowTest {
    Q_OBJECT

    bool playing() const
    {
        return rig->engines.current && rig->engines.current->state() == PlayerEngine::State::Playing;
    }

private slots:
    void bouquetChoices_data()
    {
        // choices: each one made when the previous one's request arrives
        // how: every answer but the last one's
        zv::test::columns<QList<int>, QByteArray>("choices", "how");
        zv::test::row("portal list, then a box's, late", QList<int>{0, 2}, QByteArray("late"));
        zv::test::row("a box's, then the portal list, never", QList<int>{2, 0}, QByteArray("never"));
        zv::test::row("three boxes, in pieces", QList<int>{1, 3, 4}, QByteArray("pieces"));
        zv::test::row("there and back, never", QList<int>{0, 1, 0}, QByteArray("never"));
    }
    void bouquetChoices()
    {
        // The newest bouquet wins: the one loading is aborted, the newest is
        // loaded and read with its own grammar.
        QFETCH(QList<int>, choices);
        QFETCH(QByteArray, how);
        for (int i = 0; i < 5; ++i)
            rig->portal.set(kBouquetPaths[i], held(how, bouquetAnswer(i)));
        auto w = rig->start();
        w->cmbBouquet->setCurrentIndex(choices.first());
        qsizetype made = 1;
        connect(&rig->server, &ScriptedServer::requestReceived, this, [&](const Request& r) {
            if (made >= choices.size() || r.path != kBouquetPaths[choices[made - 1]])
                return;
            const int next = choices[made++];
            if (made == choices.size()) {
                for (int i = 0; i < 5; ++i)
                    rig->portal.set(kBouquetPaths[i], Reply::ok(bouquetAnswer(i), "text/plain"));
            }
            QTimer::singleShot(0, this, [&w, next] {
                w->cmbBouquet->setCurrentIndex(next);
                emit w->cmbBouquet->activated(next);
            });
        });
        rig->server.clearRequests();
        emit w->btnFctTele->clicked();

        QCOMPARE(made, choices.size());
        QByteArrayList asked;
        for (int c : choices)
            asked << kBouquetPaths[c];
        QCOMPARE(rig->fetchPaths(), asked);
        const int last = choices.last();
        QCOMPARE(w->cmbBouquet->currentIndex(), last);
        QCOMPARE(w->lblListeCanaux->text(), QStringLiteral("Liste des télévisions"));
        const TChannelListModel* list = w->lvListeCanauxModel;
        if (last == 0) {
            QCOMPARE(list->rowCount(), 40);
            QCOMPARE(list->caption(0), QStringLiteral("France 24"));
            QCOMPARE(list->rows()[0].imageIndex, 12);
        } else {
            QCOMPARE(list->rowCount(), 1);
            QCOMPARE(list->caption(0), QStringLiteral("1 - Bouquet %1").arg(last));
            QCOMPARE(list->rows()[0].url, "vlc:rtsp://box.example/" + QByteArray::number(last));
            QVERIFY(!list->images());
        }
        QVERIFY(!w->nmhListeCanaux->Busy());
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void sectionClicks_data()
    {
        // slow: the request of `from` that waits
        // during: a section button ("+play": then its first row), or "file"
        // shown: the section button down at the end
        // neverAsked: a request the older switch must not make
        zv::test::columns<QString, QByteArray, QByteArray, QString, QString, QString, QByteArray, bool>(
            "from", "slow", "how", "during", "shown", "listed", "neverAsked", "plays");

        // Any wait of a switch but the channel list's: the newest click wins.
        zv::test::row("home page, never; radios played", "btnFctAccueil",
            QByteArray("/exe/cont.php?c=urlaccg"), QByteArray("never"), "btnFctRadio+play", "btnFctRadio",
            QStringLiteral("Liste des radios: 7"), QByteArray("/exe/cont.php?c=ieacc2"), true);
        zv::test::row("games, never; television", "btnFctJeux", QByteArray("/exe/medias.php?t=2&k=1"),
            QByteArray("never"), "btnFctTele", "btnFctTele", QStringLiteral("Liste des télévisions: 40"),
            QByteArray(), false);
        zv::test::row("chat, late; clips", "btnFctChat", QByteArray("/exe/cont.php?c=urlchat"),
            QByteArray("late"), "btnFctClipVideo", "btnFctClipVideo",
            QStringLiteral("Liste des vidéo-clips: 5"), QByteArray("/exe/medias.php?t=4&colid"), false);
        zv::test::row("media on demand, never; radios played", "btnFctMOD", QByteArray("/exe/podcast.php"),
            QByteArray("never"), "btnFctRadio+play", "btnFctRadio", QStringLiteral("Liste des radios: 7"),
            QByteArray(), true);
        zv::test::row("adult page, in pieces; games", "btnFctSexo", QByteArray("/exe/cont.php?c=urlsexo"),
            QByteArray("pieces"), "btnFctJeux", "btnFctJeux", QStringLiteral("Jeux: 4"), QByteArray(), false);
        zv::test::row("games, never; games again", "btnFctJeux", QByteArray("/exe/medias.php?t=2&k=1"),
            QByteArray("never"), "btnFctJeux", "btnFctJeux", QStringLiteral("Jeux: 4"), QByteArray(), false);
        zv::test::row("home page, late; home again", "btnFctAccueil", QByteArray("/exe/cont.php?c=ieacc2"),
            QByteArray("late"), "btnFctAccueil", "btnFctAccueil", QString(), QByteArray(), false);
        // A stream the user starts while the section loads is newer than the switch.
        // (The portal's two groups, then "Mes podcasts".)
        zv::test::row("media on demand, late; a file played", "btnFctMOD", QByteArray("/exe/podcast.php"),
            QByteArray("late"), "file", "btnFctMOD", QStringLiteral("Podcasts: 3"), QByteArray(), true);
        // While the channel list loads a click is ignored.
        zv::test::row("radios, late; television ignored", "btnFctRadio",
            QByteArray("/exe/medias.php?t=4&colid"), QByteArray("late"), "btnFctTele", "btnFctRadio",
            QStringLiteral("Liste des radios: 7"), QByteArray("/exe/medias.php?t=3&colid"), false);
        zv::test::row("clips, in pieces; chat ignored", "btnFctClipVideo",
            QByteArray("/exe/medias.php?t=1&colid"), QByteArray("pieces"), "btnFctChat", "btnFctClipVideo",
            QStringLiteral("Liste des vidéo-clips: 5"), QByteArray("/exe/cont.php?c=urlchat"), false);
    }
    void sectionClicks()
    {
        QFETCH(QString, from);
        QFETCH(QByteArray, slow);
        QFETCH(QByteArray, how);
        QFETCH(QString, during);
        QFETCH(QString, shown);
        QFETCH(QByteArray, neverAsked);
        auto w = rig->start();
        // The answer as the fake portal gives it, held back.
        TNMHTTP probe;
        probe.Get(rig->server.url(slow));
        rig->portal.set(slow, held(how, probe.Body));
        rig->server.clearRequests();

        rig->whenAsked(slow, [&] {
            rig->portal.set(slow, Reply::ok(probe.Body, "text/plain")); // asked again, it answers
            if (during == QLatin1String("file")) {
                w->lvMODFichierModel->append({.kind = zv::EntryKind::File,
                    .caption = "a.mp3",
                    .address = "http://media.example/a.mp3",
                    .folder = "http://media.example/"});
                w->pcMOD->setCurrentWidget(w->tsMODFichier);
                activate(w->lvMODFichier, at(w->lvMODFichier, 0));
                return;
            }
            emit w->findChild<TBtnGraph*>(during.section('+', 0, 0))->clicked();
            if (during.endsWith(QLatin1String("+play"))) {
                w->SelectListeCanauxRow(0);
                emit w->lvListeCanaux->doubleClicked(w->lvListeCanauxModel->index(0));
            }
        });
        emit w->findChild<TBtnGraph*>(from)->clicked();

        QCOMPARE(pressed(w.get()), QStringList{shown});
        QTEST(content(w.get()), "listed");
        QTEST(playing(), "plays");
        if (!neverAsked.isEmpty())
            QVERIFY(!rig->fetchPaths().contains(neverAsked));
        // Nothing of the section left shows in the one on screen.
        if (!w->btnFctJeux->Enfonce())
            QCOMPARE(rowCount(w->tvListeJeux), 0);
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void gamesTree_data()
    {
        // leave: false: another category is double-clicked meanwhile
        zv::test::columns<QByteArray, bool, QString>("how", "leave", "tree");
        const QString games = QStringLiteral("Action{Pac,Tetris};Aventure;Réflexion;Sport");
        const QString bare = QStringLiteral("Action;Aventure;Réflexion;Sport");
        zv::test::row("another category, late", QByteArray("late"), false, games);
        zv::test::row("another category, in pieces", QByteArray("pieces"), false, games);
        zv::test::row("section left and entered again, late", QByteArray("late"), true, bare);
        zv::test::row("section left and entered again, never", QByteArray("never"), true, bare);
    }
    void gamesTree()
    {
        // A double-click during a category's load is ignored; the games go
        // under the category asked for, and never into a tree built since.
        QFETCH(QByteArray, how);
        QFETCH(bool, leave);
        const QByteArray level1 = "/exe/medias.php?t=2&k=2&colid&cat=";
        rig->portal.set(level1 + "Action", held(how, "Pac##12||Tetris##13"));
        rig->portal.set(level1 + "Aventure", Reply::ok("Zelda##7", "text/plain"));
        auto w = rig->start();
        emit w->btnFctJeux->clicked();
        const auto doubleClick
            = [&](const QString& text) { activate(w->tvListeJeux, find(w->tvListeJeux, text)); };
        rig->whenAsked(level1 + "Action", [&] {
            if (leave) {
                emit w->btnFctRadio->clicked();
                emit w->btnFctJeux->clicked();
            } else {
                doubleClick(QStringLiteral("Aventure"));
            }
        });
        doubleClick(QStringLiteral("Action"));

        QTEST(dump(w->tvListeJeux), "tree");
        QCOMPARE(rig->countPrefix(level1 + "Aventure"), 0);
        QVERIFY(!w->nmhListeJeuxNiveau1->Busy());
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void podcastTree_data()
    {
        // leave: false: another podcast is double-clicked meanwhile
        zv::test::columns<QByteArray, bool>("how", "leave");
        zv::test::row("another podcast, late", QByteArray("late"), false);
        zv::test::row("another podcast, never", QByteArray("never"), false);
        zv::test::row("another podcast, in pieces", QByteArray("pieces"), false);
        zv::test::row("section left, never", QByteArray("never"), true);
    }
    void podcastTree()
    {
        // The newest podcast chosen wins; leaving the section drops the feed.
        QFETCH(QByteArray, how);
        QFETCH(bool, leave);
        const auto feed = [](const QByteArray& episode) {
            return "<rss><channel><item><title>" + episode + "</title><enclosure url=\"http://media.example/"
                + episode + ".mp3\"></enclosure></item></channel></rss>";
        };
        rig->portal.set("/exe/podcast.php",
            Reply::ok("1\tSciences\tEspace\tEtoiles\t" + rig->url("/feeds/1.xml")
                    + "\r\n2\tSciences\tNature\tOiseaux\t" + rig->url("/feeds/2.xml"),
                "text/plain"));
        rig->portal.set("/feeds/1.xml", held(how, feed("Premier")));
        rig->portal.set("/feeds/2.xml", Reply::ok(feed("Second"), "application/rss+xml"));
        auto w = rig->start();
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODPodcast);
        const auto doubleClick
            = [&](const QString& text) { activate(w->tvMODPodcast, find(w->tvMODPodcast, text)); };
        rig->whenAsked("/feeds/1.xml", [&] {
            if (leave)
                emit w->btnFctRadio->clicked();
            else
                doubleClick(QStringLiteral("Oiseaux"));
        });
        doubleClick(QStringLiteral("Etoiles"));

        QCOMPARE(texts(w->lvMODPodcast), leave ? QStringList() : QStringList{"Second"});
        QCOMPARE(rig->countPrefix("/feeds/2.xml"), leave ? 0 : 1);
        QVERIFY(!w->nmhMODPodcastDetail->Busy());
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }

    void keywordsDuringSearch_data()
    {
        // video: false: the MP3 search
        // typed: true: a letter is typed meanwhile; false: "OK" again
        zv::test::columns<bool, QByteArray, bool>("video", "how", "typed");
        for (const bool video : {false, true}) {
            const char* kind = video ? "video" : "MP3";
            QTest::addRow("%s, a letter typed, late", kind) << video << QByteArray("late") << true;
            QTest::addRow("%s, a letter typed, never", kind) << video << QByteArray("never") << true;
            QTest::addRow("%s, a letter typed, in pieces", kind) << video << QByteArray("pieces") << true;
            QTest::addRow("%s, OK again, late", kind) << video << QByteArray("late") << false;
        }
    }
    void keywordsDuringSearch()
    {
        // New keywords drop the search for the old ones; "OK" while a search
        // runs is ignored, so a page is never asked twice.
        QFETCH(bool, video);
        QFETCH(QByteArray, how);
        QFETCH(bool, typed);
        const QByteArray prefix = video ? "/exe/rech_dm.php?num_page=" : "/exe/rech_rbc.php?num_page=";
        const QByteArray first = prefix + (video ? "1" : "0") + "&recherche=";
        const auto results = [&](const QByteArray& words, int n) {
            QByteArray out;
            for (int i = 0; i < n; ++i) {
                const QByteArray k = words + QByteArray::number(i);
                out += video
                    ? k + "\t0:01\thttp://img.example/" + k + ".jpg\thttp://vid.example/" + k + ".flv\r\n"
                    : "http://mp3.example/" + k + ".rbs\t" + k + "\r\n";
            }
            return out;
        };
        rig->portal.set(first + "abc", held(how, results("abc", 3)));
        rig->portal.set(first + "abcd", Reply::ok(results("abcd", 2), "text/plain"));
        auto w = rig->start();
        emit(video ? w->btnFctVideo : w->btnFctMOD)->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODRecherche);
        QLineEdit* field = video ? w->edtVideoRecherche : w->edtMODRecherche;
        QPushButton* ok = video ? w->btnVideoRecherche : w->btnMODRecherche;
        QTreeView* list = video ? w->lvVideo : w->lvMODRecherche;
        QTest::keyClicks(field, QStringLiteral("abc"));
        rig->whenAsked(first + "abc", [&] {
            if (typed)
                QTest::keyClicks(field, QStringLiteral("d"));
            else
                ok->click();
        });
        ok->click();

        const auto searches = [&] {
            QByteArrayList out;
            for (const QByteArray& p : rig->fetchPaths()) {
                if (p.startsWith(prefix))
                    out << p.mid(first.size());
            }
            return out;
        };
        if (typed) {
            QCOMPARE(texts(list), QStringList());
            ok->click();
            QCOMPARE(texts(list), (QStringList{"abcd0", "abcd1"}));
            QCOMPARE(searches(), (QByteArrayList{"abc", "abcd"}));
        } else {
            QCOMPARE(texts(list), (QStringList{"abc0", "abc1", "abc2"}));
            QCOMPARE(searches(), QByteArrayList{"abc"});
        }
        QVERIFY2(rig->errors.isEmpty(), qPrintable(rig->errors.join('\n')));
    }
};

QTEST_MAIN(TestWaits)
#include "tst_waits.moc"
