// What the program remembers for the user: values read back as written,
// where an item starts again, the user's own podcasts kept in order through
// every change, a database that cannot be opened costs nothing, and a writer
// killed at any moment leaves a sound file holding every change it had
// committed, whole.
#include "portal/resumepoint.h"
#include "portal/userstate.h"
#include "support/podcastsamples.h"
#include "support/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using Outlines = std::vector<zv::PodcastOutline>;

// A folder of three podcasts.
Outlines batch(qint64 i)
{
    const QString n = QString::number(i);
    Outlines podcasts;
    for (const char* k : {"a", "b", "c"})
        podcasts.push_back(
            {n + QLatin1String(k), QStringLiteral("https://f.example/%1/%2").arg(n, k), {}, {}});
    return {{QStringLiteral("Lot ") + n, {}, {}, podcasts}};
}

// The child process: commits one position after another and says each one.
int writer(const QString& path)
{
    zv::UserState state(path);
    if (!state.isOpen())
        return 2;
    for (qint64 i = 1;; ++i) {
        state.setPlayback("episode", {i, 3600000, false});
        state.setValue("compteur", QByteArray::number(i));
        if (i % 8 == 0)
            state.importOwnPodcasts(0, batch(i));
        std::printf("%lld\n", static_cast<long long>(i));
        std::fflush(stdout);
    }
}

// The tree the own-podcast rows start from.
const Outlines& startingTree()
{
    static const Outlines tree
        = {{"Actualités", {}, {},
               {{"Le Monde", "https://a.example/monde", {}, {}},
                   {"France Info", "https://a.example/info", "https://info.example/", {}}}},
            {"Musique", {}, {}, {{"Jazz", {}, {}, {{"Jazz Club", "https://a.example/jazz", {}, {}}}}}},
            {"Science", "https://a.example/science", {}, {}}};
    return tree;
}

// The id of the row with that title; 0 (the top) for an empty one.
qint64 idOf(const zv::UserState& state, const QString& title)
{
    if (title.isEmpty())
        return 0;
    for (const zv::UserState::OwnPodcast& p : state.ownPodcasts()) {
        if (p.title == title)
            return p.id;
    }
    return -1;
}

// Each parent's children are at positions 0, 1, 2… in the order listed.
bool positionsDense(const zv::UserState& state)
{
    QHash<qint64, int> next;
    for (const zv::UserState::OwnPodcast& p : state.ownPodcasts()) {
        if (p.position != next[p.parent]++)
            return false;
    }
    return true;
}

QString integrity(const QString& path)
{
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next())
                result = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

} // namespace

class TestUserState : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatWasWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a/b/state.sqlite")); // folders made
        {
            zv::UserState state(path);
            QVERIFY(state.isOpen());
            QVERIFY(!state.playback("x"));
            QVERIFY(!state.partialDownload(QStringLiteral("/t/f.mp3.part")));
            state.setPlayback("x", {61000, 240000, true});
            state.setPartialDownload(QStringLiteral("/t/f.mp3.part"), {"h/f.mp3", "\"e\"", {}, 1234});
            state.setPartialDownload(QStringLiteral("/t/g.mp3.part"), {"h/g.mp3", {}, "date", -1});
            state.setValue("clé", "valeur é");
            QCOMPARE(state.importOwnPodcasts(0, startingTree()), 4);
            state.markVisited(
                idOf(state, "Science"), {"e1", "e2"}, QDateTime::fromSecsSinceEpoch(1700000000));
        }
        zv::UserState again(path);
        QVERIFY(again.ownPodcastTree() == startingTree());
        const auto visit = again.lastVisit(idOf(again, "Science"));
        QVERIFY(visit && visit->episodes == QSet<QByteArray>({"e1", "e2"}));
        QCOMPARE(visit->when, QDateTime::fromSecsSinceEpoch(1700000000));
        const auto p = again.playback("x");
        QVERIFY(p && p->positionMs == 61000 && p->lengthMs == 240000 && p->heard);
        const auto f = again.partialDownload(QStringLiteral("/t/f.mp3.part"));
        QVERIFY(
            f && f->url == "h/f.mp3" && f->etag == "\"e\"" && f->lastModified.isEmpty() && f->total == 1234);
        QCOMPARE(again.partialDownload(QStringLiteral("/t/g.mp3.part"))->total, qint64(-1));
        QCOMPARE(again.value("clé"), QByteArray("valeur é"));
        again.forgetPartialDownload(QStringLiteral("/t/f.mp3.part"));
        QVERIFY(!again.partialDownload(QStringLiteral("/t/f.mp3.part")));
    }

    // Where an item starts again, and what stopping it keeps (milliseconds).
    void resumeRules_data()
    {
        // length: 0: not known
        // resumeAt: next time
        zv::test::columns<qint64, qint64, bool, bool, qint64, bool, qint64>(
            "position", "length", "ended", "heardBefore", "keptPosition", "heard", "resumeAt");
        zv::test::row("half-way", 1800000LL, 3600000LL, false, false, 1800000LL, false, 1795000LL);
        zv::test::row("length unknown", 60000LL, 0LL, false, false, 60000LL, false, 55000LL);
        zv::test::row("first seconds", 9000LL, 3600000LL, false, false, 0LL, false, 0LL);
        zv::test::row("last seconds", 3590000LL, 3600000LL, false, false, 0LL, true, 0LL);
        zv::test::row("ran to its end", 3600000LL, 3600000LL, true, false, 0LL, true, 0LL);
        zv::test::row(
            "heard, heard again half-way", 1200000LL, 3600000LL, false, true, 1200000LL, true, 1195000LL);
        zv::test::row("short item ended", 4000LL, 5000LL, true, false, 0LL, true, 0LL);
    }
    void resumeRules()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, length);
        QFETCH(bool, ended);
        QFETCH(bool, heardBefore);
        std::optional<zv::UserState::Playback> before;
        if (heardBefore)
            before = zv::UserState::Playback{0, length, true};
        const zv::UserState::Playback kept = zv::PlaybackToKeep(position, length, ended, before);
        QTEST(kept.positionMs, "keptPosition");
        QTEST(kept.heard, "heard");
        QTEST(zv::ResumeFrom(kept), "resumeAt");
        QCOMPARE(zv::ResumeFrom(std::nullopt), qint64(0));
    }

    // Each change to the user's own podcasts, from the same tree: what it
    // answers and the tree after it, positions kept without gaps.
    void ownPodcasts_data()
    {
        // what: a title
        // where: a folder's title; empty: the top
        // text: a title, a feed address
        // answer: 1 for an id or success
        zv::test::columns<QString, QString, QString, int, QString, qint64, QStringList>(
            "change", "what", "where", "position", "text", "answer", "tree");

        const QStringList start = zv::test::outlineLines(startingTree());
        const auto with = [&](qsizetype at, const QString& line) {
            QStringList t = start;
            t.insert(at, line);
            return t;
        };
        zv::test::row("unchanged", "none", "", "", 0, "", qint64(1), start);
        zv::test::row("add at the end of a folder", "add", "", "Actualités", -1, "https://a.example/figaro",
            qint64(1), with(3, "  Nouveau <https://a.example/figaro>"));
        zv::test::row("add at the top, first", "add", "", "", 0, "https://a.example/premier", qint64(1),
            with(0, "Nouveau <https://a.example/premier>"));
        zv::test::row("add beyond the end", "add", "", "", 99, "https://a.example/dernier", qint64(1),
            with(7, "Nouveau <https://a.example/dernier>"));
        zv::test::row("add a folder", "add", "", "Musique", 0, "", qint64(1), with(4, "  Nouveau/"));
        zv::test::row(
            "add an address listed already", "add", "", "", -1, "https://a.example/monde", qint64(0), start);
        zv::test::row(
            "add into a podcast", "add", "", "Science", -1, "https://a.example/x", qint64(0), start);
        zv::test::row("remove a podcast", "remove", "Le Monde", "", 0, "", qint64(1),
            QStringList{"Actualités/", "  France Info <https://a.example/info>", "Musique/", "  Jazz/",
                "    Jazz Club <https://a.example/jazz>", "Science <https://a.example/science>"});
        zv::test::row("remove a folder and what it holds", "remove", "Musique", "", 0, "", qint64(1),
            QStringList{"Actualités/", "  Le Monde <https://a.example/monde>",
                "  France Info <https://a.example/info>", "Science <https://a.example/science>"});
        zv::test::row("remove what is not there", "remove", "Inconnu", "", 0, "", qint64(0), start);
        zv::test::row("rename", "rename", "Jazz", "", 0, "Jazz et blues", qint64(1),
            QStringList{"Actualités/", "  Le Monde <https://a.example/monde>",
                "  France Info <https://a.example/info>", "Musique/", "  Jazz et blues/",
                "    Jazz Club <https://a.example/jazz>", "Science <https://a.example/science>"});
        zv::test::row("move up in its folder", "move", "France Info", "Actualités", 0, "", qint64(1),
            QStringList{"Actualités/", "  France Info <https://a.example/info>",
                "  Le Monde <https://a.example/monde>", "Musique/", "  Jazz/",
                "    Jazz Club <https://a.example/jazz>", "Science <https://a.example/science>"});
        zv::test::row("move down in its folder, beyond the end", "move", "Actualités", "", 9, "", qint64(1),
            QStringList{"Musique/", "  Jazz/", "    Jazz Club <https://a.example/jazz>",
                "Science <https://a.example/science>", "Actualités/", "  Le Monde <https://a.example/monde>",
                "  France Info <https://a.example/info>"});
        zv::test::row("move into another folder", "move", "Science", "Jazz", 0, "", qint64(1),
            QStringList{"Actualités/", "  Le Monde <https://a.example/monde>",
                "  France Info <https://a.example/info>", "Musique/", "  Jazz/",
                "    Science <https://a.example/science>", "    Jazz Club <https://a.example/jazz>"});
        zv::test::row("move a folder into what it holds", "move", "Musique", "Jazz", 0, "", qint64(0), start);
        zv::test::row("move a folder into itself", "move", "Jazz", "Jazz", 0, "", qint64(0), start);
        zv::test::row("move into a podcast", "move", "Jazz", "Science", 0, "", qint64(0), start);
        zv::test::row("import: nothing twice, folders of the same name merged", "import", "", "Actualités", 0,
            "", qint64(2),
            QStringList{"Actualités/", "  Le Monde <https://a.example/monde>",
                "  France Info <https://a.example/info>", "  Actualités/",
                "    Nouveau <https://a.example/n1>", "  Musique/", "    Jazz/",
                "      Nouveau <https://a.example/n2>", "Musique/", "  Jazz/",
                "    Jazz Club <https://a.example/jazz>", "Science <https://a.example/science>"});
        zv::test::row("import at the top", "import", "", "", 0, "", qint64(2),
            QStringList{"Actualités/", "  Le Monde <https://a.example/monde>",
                "  France Info <https://a.example/info>", "  Nouveau <https://a.example/n1>", "Musique/",
                "  Jazz/", "    Jazz Club <https://a.example/jazz>", "    Nouveau <https://a.example/n2>",
                "Science <https://a.example/science>"});
        zv::test::row("import into a podcast", "import", "", "Science", 0, "", qint64(-1), start);
    }
    void ownPodcasts()
    {
        QFETCH(QString, change);
        QFETCH(QString, what);
        QFETCH(QString, where);
        QFETCH(int, position);
        QFETCH(QString, text);
        QFETCH(qint64, answer);
        QFETCH(QStringList, tree);
        QTemporaryDir dir;
        zv::UserState state(dir.filePath(QStringLiteral("state.sqlite")));
        QCOMPARE(state.importOwnPodcasts(0, startingTree()), 4);
        const qint64 id = idOf(state, what);
        const qint64 folder = idOf(state, where);
        qint64 got = 1;
        if (change == "add") {
            got = state.addOwnPodcast(folder, QStringLiteral("Nouveau"), text, position);
            QCOMPARE(got > 0 ? state.findOwnPodcast(text) : 0, text.isEmpty() ? 0 : got);
            got = got > 0;
        } else if (change == "remove") {
            got = state.removeOwnPodcast(id);
        } else if (change == "rename") {
            got = state.renameOwnPodcast(id, text);
        } else if (change == "move") {
            got = state.moveOwnPodcast(id, folder, position);
        } else if (change == "import") {
            // Exported from another client: this list's folders and one new podcast in each.
            got = state.importOwnPodcasts(folder,
                {{"Actualités", {}, {},
                     {{"Le Monde", "https://a.example/monde", {}, {}},
                         {"Nouveau", "https://a.example/n1", {}, {}}}},
                    {"Musique", {}, {},
                        {{"Jazz", {}, {},
                            {{"Jazz Club", "https://a.example/jazz", {}, {}},
                                {"Nouveau", "https://a.example/n2", {}, {}}}}}}});
        }
        QCOMPARE(got, answer);
        QCOMPARE(zv::test::outlineLines(state.ownPodcastTree()), tree);
        QVERIFY(positionsDense(state));
        const std::vector<zv::UserState::OwnPodcast> rows = state.ownPodcasts();
        const auto info
            = std::find_if(rows.begin(), rows.end(), [](const auto& p) { return p.title == "France Info"; });
        QVERIFY(info == rows.end() || info->siteUrl == "https://info.example/");
    }

    // What a podcast offered at its last visit; a podcast removed forgets it.
    void visits()
    {
        QTemporaryDir dir;
        zv::UserState state(dir.filePath(QStringLiteral("state.sqlite")));
        state.importOwnPodcasts(0, startingTree());
        const qint64 jazz = idOf(state, "Jazz Club");
        QVERIFY(!state.lastVisit(jazz));
        const QDateTime first = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        state.markVisited(jazz, {"a", "b", "b"}, first);
        state.markVisited(jazz + 1000, {"x"}, first); // no such podcast
        QVERIFY(!state.lastVisit(jazz + 1000));
        QCOMPARE(state.lastVisit(jazz)->episodes, QSet<QByteArray>({"a", "b"}));
        state.markVisited(jazz, {"b", "c"}, first.addDays(1));
        const auto visit = state.lastVisit(jazz);
        QCOMPARE(visit->episodes, QSet<QByteArray>({"b", "c"}));
        QCOMPARE(visit->when, first.addDays(1));
        QCOMPARE(state.ownPodcasts()[5].lastVisit, first.addDays(1));
        QVERIFY(state.removeOwnPodcast(idOf(state, "Musique")));
        const qint64 again = state.addOwnPodcast(0, "Jazz Club", "https://a.example/jazz");
        QVERIFY(again > 0 && !state.lastVisit(again));
    }

    // Visits by feed address: a podcast of the user's is the same podcast
    // whichever way it is reached; any other address keeps visits of its own.
    void feedVisits()
    {
        QTemporaryDir dir;
        zv::UserState state(dir.filePath(QStringLiteral("state.sqlite")));
        state.importOwnPodcasts(0, startingTree());
        const QDateTime first = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        const QString portal = QStringLiteral("http://portail.example/podcasts/12.xml");
        QVERIFY(!state.feedVisit(portal) && !state.feedVisit({}));
        state.markFeedVisited(portal, {"a", "b"}, first);
        state.markFeedVisited({}, {"x"}, first);
        state.markFeedVisited(portal, {"b", "c", "c"}, first.addDays(1));
        QCOMPARE(state.feedVisit(portal)->episodes, QSet<QByteArray>({"b", "c"}));
        QCOMPARE(state.feedVisit(portal)->when, first.addDays(1));
        QVERIFY(!state.feedVisit({}));

        const QString jazz = QStringLiteral("https://a.example/jazz");
        state.markFeedVisited(jazz, {"j"}, first);
        QCOMPARE(state.lastVisit(idOf(state, "Jazz Club"))->episodes, QSet<QByteArray>({"j"}));
        state.markVisited(idOf(state, "Jazz Club"), {"k"}, first.addDays(2));
        QCOMPARE(state.feedVisit(jazz)->episodes, QSet<QByteArray>({"k"}));
        QCOMPARE(state.feedVisit(jazz)->when, first.addDays(2));
    }

    // A database of the program before own podcasts and own lists: kept, and
    // given their tables.
    void olderDatabaseGainsTheNewSteps()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state.sqlite"));
        zv::UserState(path).setValue("k", "v");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char* sql :
                {"DROP TABLE own_podcast", "DROP TABLE podcast_seen", "DROP TABLE feed_visit",
                    "DROP TABLE feed_seen", "DROP TABLE own_list", "PRAGMA user_version=3"})
                QVERIFY(q.exec(QString::fromLatin1(sql)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        zv::UserState state(path);
        QCOMPARE(state.value("k"), QByteArray("v"));
        QVERIFY(state.addOwnPodcast(0, "P", "https://a.example/p") > 0);
        state.markFeedVisited(QStringLiteral("https://b.example/q"), {"e"});
        QVERIFY(state.feedVisit(QStringLiteral("https://b.example/q")));
        QVERIFY(state.addOwnList({0, "L", "https://a.example/l.m3u", {}}) > 0);
    }

    void unusableFileCostsNothing_data()
    {
        QTest::addColumn<QByteArray>("kind");
        zv::test::row("a folder in its place", QByteArray("folder"));
        zv::test::row("not a database", QByteArray("garbage"));
        zv::test::row("read-only folder", QByteArray("readonly"));
    }
    void unusableFileCostsNothing()
    {
        QFETCH(QByteArray, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("state.sqlite"));
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, '\x5a'));
        } else {
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("ro"))));
            QFile::setPermissions(
                dir.filePath(QStringLiteral("ro")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            path = dir.filePath(QStringLiteral("ro/state.sqlite"));
            if (QFileInfo(dir.filePath(QStringLiteral("ro"))).isWritable())
                QSKIP("root writes into read-only folders");
        }
        zv::UserState state(path);
        QVERIFY(!state.isOpen());
        state.setPlayback("x", {1, 2, false});
        state.setValue("k", "v");
        QVERIFY(!state.playback("x"));
        QCOMPARE(state.value("k"), QByteArray());
        QCOMPARE(state.addOwnPodcast(0, "P", "https://a.example/p"), qint64(0));
        QCOMPARE(state.importOwnPodcasts(0, startingTree()), -1);
        QVERIFY(state.ownPodcasts().empty() && !state.lastVisit(1));
        if (kind == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray(8192, '\x5a')); // the user's file is left as it was
        }
    }

    // Own lists: kept in their order across openings, moved, renamed and
    // removed; an id is never given twice; a database from before them gains
    // their table and keeps what it held.
    void ownListsKeepTheirOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE named_value (key BLOB PRIMARY KEY, value BLOB)")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO named_value VALUES (x'6b', x'76')")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version=3")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        using Def = zv::UserState::OwnListDefinition;
        const auto names = [](const zv::UserState& state) {
            QStringList out;
            for (const Def& list : state.ownLists())
                out << list.name;
            return out.join(u',');
        };
        qint64 a = 0, b = 0, c = 0;
        {
            zv::UserState state(path);
            QVERIFY(state.isOpen());
            QCOMPARE(state.value("k"), QByteArray("v"));
            a = state.addOwnList(
                {0, QStringLiteral("Ma box"), QStringLiteral("https://fai.example/l.m3u"), {}});
            b = state.addOwnList({0, QStringLiteral("Fichier"), QStringLiteral("/home/u/liste.m3u"), {}});
            c = state.addOwnList({0, QStringLiteral("Sport"), QStringLiteral("http://s.example/s.m3u8"),
                QStringLiteral("http://s.example/epg.xml.gz")});
            QVERIFY(a > 0 && b > a && c > b);
        }
        zv::UserState state(path);
        QCOMPARE(names(state), QStringLiteral("Ma box,Fichier,Sport"));
        QCOMPARE(state.ownLists().back().guide, QStringLiteral("http://s.example/epg.xml.gz"));
        const struct {
            std::function<bool()> change;
            const char* after;
        } steps[] = {
            {[&] { return state.moveOwnList(c, 0); }, "Sport,Ma box,Fichier"},
            {[&] { return state.moveOwnList(a, 99); }, "Sport,Fichier,Ma box"},
            {[&] {
                 return state.updateOwnList({b, QStringLiteral("Télé"), QStringLiteral("/l.m3u"), {}});
             },
                "Sport,Télé,Ma box"},
            {[&] { return state.removeOwnList(c); }, "Télé,Ma box"},
            {[&] { return !state.removeOwnList(c) && !state.moveOwnList(c, 0); }, "Télé,Ma box"},
            {[&] {
                 return !state.updateOwnList({c, QStringLiteral("x"), QStringLiteral("y"), {}});
             },
                "Télé,Ma box"},
            {[&] {
                 return state.addOwnList({0, QStringLiteral("Nouvelle"), QStringLiteral("/n.m3u"), {}}) > c;
             },
                "Télé,Ma box,Nouvelle"},
        };
        for (const auto& step : steps) {
            QVERIFY(step.change());
            QCOMPARE(names(state), QString::fromUtf8(step.after));
        }
    }

    // kill -9 at random moments of a stream of commits: the file stays sound
    // and holds at least every change the writer had reported as committed.
    void killedWriterNeverCorrupts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state.sqlite"));
        for (int round = 0; round < 6; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), path});
            QVERIFY(child.waitForStarted());
            qint64 committed = 0;
            const int wanted = 20 + int(QRandomGenerator::global()->bounded(200));
            int seen = 0;
            while (seen < wanted && child.state() == QProcess::Running) {
                if (!child.canReadLine() && !child.waitForReadyRead(10000))
                    break;
                while (child.canReadLine()) {
                    committed = child.readLine().trimmed().toLongLong();
                    ++seen;
                }
            }
            QVERIFY2(seen >= wanted, qPrintable(child.readAllStandardError()));
            child.kill();
            QVERIFY(child.waitForFinished());
            QCOMPARE(integrity(path), QStringLiteral("ok"));
            zv::UserState state(path);
            QVERIFY(state.isOpen());
            const auto p = state.playback("episode");
            QVERIFY(p);
            QVERIFY2(p->positionMs >= committed,
                qPrintable(QStringLiteral("%1 < %2").arg(p->positionMs).arg(committed)));
            QVERIFY(state.value("compteur").toLongLong() >= committed);
            // Each list imported whole or not at all.
            const std::vector<zv::UserState::OwnPodcast> rows = state.ownPodcasts();
            const qsizetype podcasts
                = std::count_if(rows.begin(), rows.end(), [](const auto& p) { return !p.isFolder(); });
            QCOMPARE(podcasts, 3 * (qsizetype(rows.size()) - podcasts));
            QVERIFY(rows.size() >= std::size_t(committed / 8 * 4));
        }
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0)
        return writer(QString::fromLocal8Bit(argv[2]));
    TestUserState test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_userstate.moc"
