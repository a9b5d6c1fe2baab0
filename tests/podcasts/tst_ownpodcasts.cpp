// The user's own podcasts in the podcast tab, and the marks of the episode
// list, against the scripted portal and feeds served on loopback.
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/podcastsamples.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/main/entrymodel.h"

#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace zv::test;
using namespace Qt::StringLiterals;

namespace {

// An RSS 2 feed; each episode "title|date RFC 822|duration", or "title" alone.
QByteArray rss(const QByteArray& title, const QList<QByteArray>& episodes)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\" "
                     "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel><title>"
        + title + "</title>";
    for (const QByteArray& e : episodes) {
        const QList<QByteArray> f = e.split('|');
        out += "<item><title>" + f[0] + "</title>";
        if (f.size() > 2)
            out += "<pubDate>" + f[1] + "</pubDate><itunes:duration>" + f[2] + "</itunes:duration>";
        out += "<enclosure url=\"http://media.example/" + f[0].toLower()
            + ".mp3\" type=\"audio/mpeg\"/></item>";
    }
    return out + "</channel></rss>";
}

// "caption|what the row says of itself" per episode.
QStringList episodes(const TfmPrinc* w)
{
    return texts(w->lvMODPodcast, {Qt::DisplayRole, Qt::AccessibleDescriptionRole});
}

// The user's podcasts as kept: "Folder/" or "Title <address>".
QStringList kept(const zv::UserState& state)
{
    return outlineLines(state.ownPodcastTree());
}

} // namespace

class TestOwnPodcasts : public MainWindowTest {
    Q_OBJECT

    std::optional<ModalAnswerer> modals; // message boxes: their texts kept, answered "Non"

    void setUp() override
    {
        rig->portal.set("/exe/podcast.php", Reply::ok("", "text/plain"));
        modals.emplace();
        modals->boxes(QMessageBox::No);
    }
    void tearDown() override { modals.reset(); }

    // What the window said: its message boxes, then the error handler's texts.
    QStringList messages() const { return modals->texts + rig->errors; }

    // "Ajouter un podcast…" with typed in the prompt.
    void add(TfmPrinc* w, const QString& typed)
    {
        ModalAnswerer prompt;
        prompt.on<QInputDialog>([&](QInputDialog* d) {
            d->setTextValue(typed);
            d->accept();
        });
        w->mnuMODPodcastAjouter->trigger();
    }

private slots:
    void addFeed_data()
    {
        // typed: %1: the feed server, %2: its host and port
        // message: empty: none
        zv::test::columns<QString, QString, QStringList, QString>("typed", "tree", "listed", "message");
        const QStringList read
            = {QStringLiteral("Deux|10 mars 2024 · 2:30"), QStringLiteral("Un|9 mars 2024 · 1:02:30")};
        zv::test::row("http, newest first, named by its feed", "%1/flux/ok.xml",
            "Mes podcasts{Les Chroniques}", read, QString());
        zv::test::row(
            "without its scheme", "%2/flux/ok.xml", "Mes podcasts{Les Chroniques}", read, QString());
        zv::test::row("feed: link", "feed:%1/flux/ok.xml", "Mes podcasts{Les Chroniques}", read, QString());
        const QString refused = QStringLiteral("« %1 » n'est pas l'adresse d'un flux de podcast : elle doit "
                                               "commencer par http:// ou https:// et nommer un serveur.");
        for (const char* bad :
            {"ftp://a.example/f.xml", "/etc/passwd", "file:///etc/passwd", "javascript:alert(1)", "http://"})
            QTest::addRow("refused: %s", bad) << QString::fromLatin1(bad) << "Mes podcasts" << QStringList()
                                              << refused.arg(QLatin1String(bad));
        zv::test::row("refused by the server", "%1/flux/absent.xml", "Mes podcasts{%1/flux/absent.xml}",
            QStringList(),
            QStringLiteral(
                "Le podcast « %1/flux/absent.xml » n'a pas pu être lu : le serveur a répondu 404."));
        zv::test::row("a web page", "%1/flux/page.xml", "Mes podcasts{%1/flux/page.xml}", QStringList(),
            QStringLiteral("Cette adresse donne une page web, pas un flux de podcast."));
        zv::test::row("cut short: what came is listed", "%1/flux/coupe.xml", "Mes podcasts{Coupé}",
            QStringList{QStringLiteral("Deux|")},
            QStringLiteral("Le flux du podcast est incomplet : seuls les épisodes reçus ont été lus."));
    }
    void addFeed()
    {
        QFETCH(QString, typed);
        QFETCH(QString, tree);
        QFETCH(QStringList, listed);
        QFETCH(QString, message);
        rig->server.on("/flux/ok.xml",
            Reply::ok(rss("Les Chroniques",
                          {"Un|Sat, 09 Mar 2024 07:30:00 +0000|1:02:30",
                              "Deux|Sun, 10 Mar 2024 07:30:00 +0000|150"}),
                "application/rss+xml"));
        rig->server.on("/flux/absent.xml", Reply::status(404, "introuvable"));
        rig->server.on("/flux/page.xml", Reply::ok("<!DOCTYPE html><html><body>Bonjour</body></html>"));
        const QByteArray whole = rss("Coupé", {"Deux", "Un"});
        rig->server.on("/flux/coupe.xml", Reply::ok(whole.left(whole.indexOf("</item>") + 20), "text/xml"));
        const QString base = QString::fromLatin1(rig->url(""));
        typed.replace(u"%1"_s, base).replace(u"%2"_s, QString::fromLatin1(rig->server.hostPort()));
        auto w = rig->startPodcasts();
        add(w.get(), typed);
        QCOMPARE(dump(w->tvMODPodcast), tree.replace(u"%1"_s, base));
        QCOMPARE(episodes(w.get()), listed);
        QCOMPARE(messages(), message.isEmpty() ? QStringList() : QStringList{message.replace(u"%1"_s, base)});
        // Added twice: listed once, and the user is told.
        if (!tree.contains(u'{'))
            return;
        modals->texts.clear();
        rig->errors.clear();
        add(w.get(), typed);
        QCOMPARE(dump(w->tvMODPodcast), tree.replace(u"%1"_s, base));
        QCOMPARE(messages(), QStringList{QStringLiteral("Ce podcast est déjà dans Mes podcasts.")});
    }

    void treeRebuiltWhileFeedWaits()
    {
        rig->server.on("/flux/lent.xml", Reply::status(404).delayed(300));
        rig->state.addOwnPodcast(0, QStringLiteral("Lent"), QString::fromLatin1(rig->url("/flux/lent.xml")));
        auto w = rig->startPodcasts();
        rig->whenAsked("/flux/lent.xml", [&] {
            w->FillOwnPodcasts();
            w->nmhMODPodcastSuccess(0);
        });
        activate(w->tvMODPodcast, find(w->tvMODPodcast, QStringLiteral("Lent")));
        QCOMPARE(messages(),
            QStringList{
                QStringLiteral("Le podcast « Lent » n'a pas pu être lu : le serveur a répondu 404.")});
        QCOMPARE(dump(w->tvMODPodcast), QStringLiteral("Mes podcasts{Lent}"));
    }

    // New since the last visit, heard, stopped part way: for the user's
    // podcasts and the portal's alike.
    void marks_data() { zv::test::flagRows("own", "portal podcast", "own podcast"); }
    void marks()
    {
        QFETCH(bool, own);
        rig->server.on("/flux/m.xml", Reply::ok(rss("M", {"B", "A"}), "application/rss+xml"));
        const QString feed = QString::fromLatin1(rig->url("/flux/m.xml"));
        if (own)
            rig->state.addOwnPodcast(0, QStringLiteral("Mon podcast"), feed);
        else
            rig->portal.set(
                "/exe/podcast.php", Reply::ok("4\tG\tS\tMon podcast\t" + feed.toLatin1(), "text/plain"));
        auto w = rig->startPodcasts();
        const auto open = [&] {
            activate(w->tvMODPodcast, find(w->tvMODPodcast, QStringLiteral("Mon podcast")));
            return episodes(w.get());
        };
        // The first visit has nothing to compare with.
        QCOMPARE(open(), (QStringList{QStringLiteral("B|"), QStringLiteral("A|")}));
        rig->state.setPlayback(
            "http://media.example/b.mp3", {.positionMs = 600000, .lengthMs = 600000, .heard = true});
        rig->state.setPlayback("http://media.example/a.mp3", {.positionMs = 754000, .lengthMs = 3600000});
        rig->server.on("/flux/m.xml", Reply::ok(rss("M", {"C", "B", "A"}), "application/rss+xml"));
        QCOMPARE(open(),
            (QStringList{QStringLiteral("C|Nouveau"), QStringLiteral("B|Écouté"),
                QStringLiteral("A|Arrêté à 12:34")}));
        // Seen once, no longer new; a new episode heard already is only heard.
        rig->state.setPlayback("http://media.example/d.mp3", {.positionMs = 1, .lengthMs = 1, .heard = true});
        rig->server.on("/flux/m.xml", Reply::ok(rss("M", {"D", "C", "B", "A"}), "application/rss+xml"));
        QCOMPARE(open(),
            (QStringList{QStringLiteral("D|Écouté"), QStringLiteral("C|"), QStringLiteral("B|Écouté"),
                QStringLiteral("A|Arrêté à 12:34")}));
        QVERIFY(messages().isEmpty());
    }

    // Subscription lists read all or nothing, under the chosen folder; what
    // was there stays whatever the file holds.
    void importList_data()
    {
        // after: empty: as before
        zv::test::columns<QByteArray, QStringList, int, QString>("file", "after", "podcasts", "message");
        const QStringList before = {QStringLiteral("Déjà là <https://deja.example/rss>")};
        zv::test::row("nested OPML 2, titles in any script",
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><opml version=\"2.0\"><body>"
                       "<outline text=\"Tech\"><outline text=\"ラジオ\" type=\"rss\" "
                       "xmlUrl=\"https://a.example/r\"/>"
                       "<outline text=\"Радио\" xmlUrl=\"http://b.example/r\"/></outline>"
                       "<outline text=\"Déjà\" xmlUrl=\"https://deja.example/rss\"/></body></opml>"),
            before
                + QStringList{QStringLiteral("Tech/"), QStringLiteral("  ラジオ <https://a.example/r>"),
                    QStringLiteral("  Радио <http://b.example/r>")},
            3,
            QStringLiteral(
                "2 podcasts ajoutés à Mes podcasts depuis « liste.opml ».\n1 podcast y était déjà."));
        zv::test::row("OPML 1.0",
            QByteArray("<opml version=\"1.0\"><head><title>x</title></head><body>"
                       "<outline title=\"Un\" text=\"u\" xmlUrl=\"http://u.example/f\"/>"
                       "</body></opml>"),
            before + QStringList{QStringLiteral("Un <http://u.example/f>")}, 2,
            QStringLiteral("1 podcast ajouté à Mes podcasts depuis « liste.opml »."));
        zv::test::row("10,000 podcasts", generatedSubscriptions(10000, 100), QStringList(), 10001,
            QStringLiteral("10000 podcasts ajoutés à Mes podcasts depuis « liste.opml »."));
        const auto refused = [](const char* why) {
            return QStringLiteral("Rien n'a été importé de « liste.opml ».\n") + QString::fromUtf8(why);
        };
        zv::test::row("HTML",
            QByteArray("<!DOCTYPE html><html><head><title>OPML</title></head><body><p>Erreur</p>"), before, 1,
            refused("Ce fichier est une page web, pas une liste d'abonnements OPML."));
        zv::test::row("truncated", generatedSubscriptions(40).left(2500), before, 1,
            refused("Le fichier d'abonnements est incomplet : seuls les podcasts qui "
                    "précèdent la coupure ont été lus."));
        zv::test::row("10,000 podcasts cut short", generatedSubscriptions(10000, 100).chopped(300), before, 1,
            refused(
                "Le fichier d'abonnements est incomplet : seuls les podcasts qui précèdent la coupure ont "
                "été lus."));
        zv::test::row("no podcast",
            QByteArray("<opml version=\"2.0\"><body><outline text=\"vide\"/></body></opml>"), before, 1,
            refused("Cette liste d'abonnements ne contient aucun podcast."));
        zv::test::row("empty file", QByteArray(), before, 1, refused("Le fichier d'abonnements est vide."));
    }
    void importList()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, after);
        QFETCH(int, podcasts);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("liste.opml"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
        f.close();
        rig->state.addOwnPodcast(0, QStringLiteral("Déjà là"), QStringLiteral("https://deja.example/rss"));
        const QStringList before = kept(rig->state);
        bool saving = true;
        TfmPrinc::setAbonnementsDialog([&](QWidget*, bool save) {
            saving = save;
            return path;
        });
        auto w = rig->startPodcasts();
        w->mnuMODPodcastImporter->trigger();
        QVERIFY(!saving);
        QCOMPARE(messages(), QStringList{message});
        const QStringList now = kept(rig->state);
        if (!after.isEmpty())
            QCOMPARE(now, after);
        const auto all = rig->state.ownPodcasts();
        QCOMPARE(
            std::count_if(all.begin(), all.end(), [](const auto& p) { return !p.isFolder(); }), podcasts);
        QCOMPARE(now.first(), before.first());
        // The tree shows what is kept.
        const QModelIndex root = at(w->tvMODPodcast, rowCount(w->tvMODPodcast) - 1);
        QCOMPARE(root.data().toString(), QStringLiteral("Mes podcasts"));
        QCOMPARE(rowCount(w->tvMODPodcast, root), int(rig->state.ownPodcastTree().size()));
    }

    // What is exported reads back as the same tree and replaces the file
    // chosen; a file that cannot be written says so and what was there stays.
    void exportList_data()
    {
        QTest::addColumn<QString>("target");
        zv::test::row("over a file", "export.opml");
        zv::test::row("into a file, as if a folder", "export.opml/dedans.opml");
    }
    void exportList()
    {
        QFETCH(QString, target);
        const QByteArray list = generatedSubscriptions(30, 7);
        QCOMPARE(rig->state.importOwnPodcasts(0, zv::ReadSubscriptions(list).outlines), 30);
        QTemporaryDir dir;
        QFile old(dir.filePath(QStringLiteral("export.opml")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("ancien") == 6);
        old.close();
        TfmPrinc::setAbonnementsDialog(
            [&](QWidget*, bool save) { return save ? dir.filePath(target) : QString(); });
        auto w = rig->startPodcasts();
        w->mnuMODPodcastExporter->trigger();
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray there = old.readAll();
        if (target == QLatin1String("export.opml")) {
            QVERIFY(messages().isEmpty());
            QCOMPARE(outlineLines(zv::ReadSubscriptions(there).outlines), kept(rig->state));
        } else {
            QCOMPARE(there, QByteArray("ancien"));
            QCOMPARE(
                messages(), QStringList{QStringLiteral("Le fichier « dedans.opml » n'a pas pu être écrit.")});
        }
    }

    // The menu by the tree and the keys of the tree act on the chosen node;
    // the portal's podcasts are not the user's to remove.
    void removeAndFolders_data()
    {
        zv::test::columns<QString, bool, QString, int>("chosen", "confirmed", "tree", "asked");
        zv::test::row("podcast removed", "Un", true, "Portail{S{P}};Mes podcasts{Dossier{Deux}}", 1);
        zv::test::row("removal declined", "Un", false, "Portail{S{P}};Mes podcasts{Un,Dossier{Deux}}", 1);
        zv::test::row("folder with what it holds", "Dossier", true, "Portail{S{P}};Mes podcasts{Un}", 1);
        zv::test::row("the portal's stays", "P", true, "Portail{S{P}};Mes podcasts{Un,Dossier{Deux}}", 0);
        zv::test::row(
            "the root stays", "Mes podcasts", true, "Portail{S{P}};Mes podcasts{Un,Dossier{Deux}}", 0);
    }
    void removeAndFolders()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, confirmed);
        QFETCH(QString, tree);
        QFETCH(int, asked);
        rig->portal.set("/exe/podcast.php", Reply::ok("1\tPortail\tS\tP\thttp://p.example/f", "text/plain"));
        rig->state.addOwnPodcast(0, QStringLiteral("Un"), QStringLiteral("http://un.example/f"));
        const qint64 folder = rig->state.addOwnPodcast(0, QStringLiteral("Dossier"));
        rig->state.addOwnPodcast(folder, QStringLiteral("Deux"), QStringLiteral("http://deux.example/f"));
        auto w = rig->startPodcasts();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->tvMODPodcast->expandAll();
        select(w->tvMODPodcast, find(w->tvMODPodcast, chosen));
        w->tvMODPodcast->setFocus();
        modals.reset();
        ModalAnswerer answer;
        answer.boxes(confirmed ? QMessageBox::Yes : QMessageBox::No);
        QTest::keyClick(w->tvMODPodcast, Qt::Key_Delete);
        QCOMPARE(dump(w->tvMODPodcast), tree);
        QCOMPARE(answer.texts.size(), qsizetype(asked));

        // A new folder, and a podcast added into it from the keyboard.
        const QString feed = QString::fromLatin1(rig->url("/f"));
        rig->server.on("/f", Reply::ok(rss("Trois", {"Un"}), "application/rss+xml"));
        ModalAnswerer prompt;
        QStringList typed = {feed, QStringLiteral("Nouveau")};
        prompt.on<QInputDialog>([&](QInputDialog* d) {
            d->setTextValue(typed.takeLast());
            d->accept();
        });
        w->mnuMODPodcastDossier->trigger();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->tvMODPodcast->setFocus();
        QTest::keyClick(w->tvMODPodcast, Qt::Key_Insert);
        QVERIFY2(dump(w->tvMODPodcast).contains(QStringLiteral("Nouveau{Trois}")),
            qPrintable(dump(w->tvMODPodcast)));
        QVERIFY(rig->errors.isEmpty());
    }
};

QTEST_MAIN(TestOwnPodcasts)
#include "tst_ownpodcasts.moc"
