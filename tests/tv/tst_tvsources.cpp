// Where own lists and guides come from: a provider's answer fetched into the
// cache folder within bounds, a list shown from its kept copy and never lost
// to a refresh that fails, guides kept as indexes and fetched again when
// stale, each failure told once in French. Over loopback to the scripted
// server.
#include "portal/tv/listguides.h"
#include "portal/tv/ownlistloader.h"
#include "portal/tv/providerfetch.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "support/tvsamples.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using zv::test::Reply;
using zv::test::ScriptedServer;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The list's outcome after one load: rows shown (-1: nothing), message.
struct Outcome {
    qint64 rows = -1;
    QString message;
};

Outcome loadOnce(zv::OwnListLoader& loader, const zv::UserState::OwnListDefinition& list, bool refresh)
{
    Outcome out;
    QObject context;
    QObject::connect(&loader, &zv::OwnListLoader::loaded, &context,
        [&](qint64, std::shared_ptr<const zv::OwnList> l) { out.rows = qint64(l->size()); });
    QObject::connect(&loader, &zv::OwnListLoader::failed, &context,
        [&](qint64, const QString& message) { out.message = message; });
    loader.load(list, refresh);
    // Loaded or failed, then nothing more under way.
    if (!QTest::qWaitFor(
            [&] { return (out.rows >= 0 || !out.message.isEmpty()) && !loader.isRunning(); }, 20000))
        out.message = QStringLiteral("(still loading)");
    QTest::qWait(20);
    return out;
}

} // namespace

class TestTvSources : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void webAddress_data()
    {
        zv::test::columns<QString, bool>("text", "web");
        zv::test::row("http", "http://fai.example/liste.m3u", true);
        zv::test::row("https, blanks around, capitals", "  HTTPS://Fai.Example/l?u=a&p=b ", true);
        zv::test::row("what providers leave unescaped", "http://f.example/get.php?u=a b|c{d}", true);
        zv::test::row("a file", "/home/moi/liste.m3u", false);
        zv::test::row("a file address", "file:///home/moi/liste.m3u", false);
        zv::test::row("another scheme", "ftp://f.example/l.m3u", false);
        zv::test::row("no host", "http://", false);
    }
    void webAddress()
    {
        QFETCH(QString, text);
        QFETCH(bool, web);
        QCOMPARE(zv::IsWebAddress(text), web);
    }

    void fetch_data()
    {
        // error: part of it; empty: the answer is kept
        zv::test::columns<Reply, QString>("reply", "error");
        const QByteArray body = zv::test::generatedList(50);
        zv::test::row("whole", Reply::ok(body), QString());
        zv::test::row("in pieces", Reply::ok(body).inPieces(512, 2), QString());
        zv::test::row("redirected", Reply::redirect(302, "/ailleurs"), QString());
        zv::test::row("refused", Reply::status(404), "le serveur a répondu 404");
        zv::test::row("announced too large", Reply::generated(3 << 20), "la réponse dépasse 1 Mo");
        zv::test::row("too large", Reply::generated(3 << 20, false), "la réponse dépasse 1 Mo");
        zv::test::row("silent", Reply::never(), "le serveur ne répond plus");
        zv::test::row("too slow", Reply::ok(body).inPieces(64, 40), "le délai de 1 s est dépassé");
        zv::test::row("cut", Reply::ok(body).closeAfter(300), "connexion");
    }
    void fetch()
    {
        QFETCH(Reply, reply);
        QFETCH(QString, error);
        ScriptedServer server;
        server.on("/liste.m3u", reply);
        server.on("/ailleurs", Reply::ok(zv::test::generatedList(50)));
        const QString file = dir_.filePath(QStringLiteral("fetched.m3u"));
        writeFile(file, "ancienne copie");
        zv::ProviderFetch fetch;
        fetch.setLimits({1 << 20, 300, 1000});
        QSignalSpy finished(&fetch, &zv::ProviderFetch::finished);
        fetch.get(server.address("/liste.m3u"), file);
        QVERIFY(finished.wait(5000));
        QVERIFY(!fetch.isRunning());
        const QString said = finished.first().first().toString();
        QVERIFY2(error.isEmpty() ? said.isEmpty() : said.contains(error), qPrintable(said));
        QCOMPARE(fileBytes(file), error.isEmpty() ? zv::test::generatedList(50) : "ancienne copie");
        QVERIFY(!QFile::exists(file + QStringLiteral(".part")));
        QVERIFY(!finished.wait(200)); // told once
    }

    // One list through its life: fetched and kept, shown from the copy
    // offline, refreshed into a web page or a refusal without losing it,
    // its copy damaged, its file gone.
    void ownListIsNeverLost()
    {
        ScriptedServer server;
        const QByteArray list = zv::test::generatedList(120);
        zv::UserState::OwnListDefinition def{7, QStringLiteral("Ma box"), server.address("/l.m3u"), {}};
        const QString copy = zv::OwnListLoader::cacheFile(def.id);
        zv::OwnListLoader::forget(def.id);
        zv::OwnListLoader loader;
        const struct {
            const char* what;
            std::function<void()> before;
            bool refresh;
            qint64 rows;
            QString message; // part of it
            int requests; // made by this step
        } steps[] = {
            {"first time", [&] { server.on("/l.m3u", Reply::ok(list)); }, false, 120, {}, 1},
            {"from the copy", [&] { server.on("/l.m3u", Reply::status(500)); }, false, 120, {}, 0},
            {"refused", [] {}, true, 120,
                "La liste « Ma box » n'a pas pu être chargée : le serveur a répondu 500. La dernière copie",
                1},
            {"a web page",
                [&] { server.on("/l.m3u", Reply::ok("<!DOCTYPE html><html><body>Erreur</body></html>")); },
                true, 120, "« Ma box » : Cette adresse donne une page web", 1},
            {"new channels", [&] { server.on("/l.m3u", Reply::ok(zv::test::generatedList(80))); }, true, 80,
                {}, 1},
            {"damaged copy", [&] { writeFile(copy, QByteArray(5000, '\0')); }, false, 80, {}, 1},
        };
        for (const auto& step : steps) {
            step.before();
            const qsizetype asked = server.requests().size();
            const Outcome out = loadOnce(loader, def, step.refresh);
            QVERIFY2(out.rows == step.rows, step.what);
            QVERIFY2(step.message.isEmpty() ? out.message.isEmpty() : out.message.startsWith(step.message),
                qPrintable(QString::fromUtf8(step.what) + QStringLiteral(": ") + out.message));
            QVERIFY2(server.requests().size() - asked == step.requests, step.what);
            QVERIFY(!QFile::exists(copy + QStringLiteral(".new")));
        }

        // A list from a file is kept as a copy too.
        const QString file = dir_.filePath(QStringLiteral("liste.m3u"));
        writeFile(file, list);
        def.source = file;
        QCOMPARE(loadOnce(loader, def, true).rows, qint64(120));
        QFile::remove(file);
        const Outcome gone = loadOnce(loader, def, true);
        QCOMPARE(gone.rows, qint64(120));
        QVERIFY2(gone.message.contains(u"introuvable") && gone.message.endsWith(u"est affichée."),
            qPrintable(gone.message));
        zv::OwnListLoader::forget(def.id);
        QVERIFY(!QFile::exists(copy));
    }

    // Guides: fetched and kept as an index, read from it the next time,
    // fetched again when stale; one that fails is told once and leaves the
    // others and what was read before.
    void guidesAreKeptAndRefreshed()
    {
        ScriptedServer server;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QByteArray week = zv::test::gzipped(zv::test::generatedGuide(5, 7, now.addDays(-1)));
        const QByteArray endingSoon = zv::test::generatedGuide(3, 1, now.addSecs(-20 * 3600));
        server.on("/a.xml.gz", Reply::ok(week, "application/gzip"));
        server.on("/b.xml", Reply::ok(endingSoon, "text/xml"));
        server.on("/c.xml", Reply::status(404));
        const QString a = server.address("/a.xml.gz"), b = server.address("/b.xml"),
                      c = server.address("/c.xml");
        for (const QString& s : {a, b, c})
            QFile::remove(zv::ListGuides::cacheFile(s) + QStringLiteral(".guide"));

        const auto run = [&](const QStringList& sources, QStringList& failures) {
            auto guides = std::make_unique<zv::ListGuides>();
            QObject::connect(guides.get(), &zv::ListGuides::failed, [&](const QString& m) { failures << m; });
            guides->setSources(sources);
            if (!QTest::qWaitFor([&] { return !guides->isBusy(); }, 20000))
                failures << QStringLiteral("(still reading)");
            QTest::qWait(50); // the index is written off the thread
            return guides;
        };
        QStringList failures;
        auto first = run({a + QStringLiteral(", ") + b, c}, failures);
        QCOMPARE(first->sources(), (QStringList{a, b, c}));
        QCOMPARE(first->guides().size(), std::size_t(2));
        QCOMPARE(first->guides()[0]->channelCount(), 5);
        QCOMPARE(failures,
            QStringList{QStringLiteral(
                "Le guide des programmes n'a pas pu être chargé : le serveur a répondu 404.")});
        QVERIFY(QFile::exists(zv::ListGuides::cacheFile(a) + QStringLiteral(".guide")));
        QVERIFY(!QFile::exists(zv::ListGuides::cacheFile(a) + QStringLiteral(".xml")));

        // The next start: the week's guide from its index, the one ending
        // soon fetched again; the address now refused keeps the index read.
        server.clearRequests();
        server.on("/b.xml", Reply::status(503));
        failures.clear();
        auto second = run({a, b}, failures);
        QCOMPARE(second->guides().size(), std::size_t(2));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().path, QByteArray("/b.xml"));
        QCOMPARE(failures.size(), 1);

        QVERIFY(zv::ListGuides::isStale(
            *second->guides()[1], QDateTime::currentDateTime(), QDateTime::currentDateTime()));
        QVERIFY(!zv::ListGuides::isStale(
            *second->guides()[0], QDateTime::currentDateTime(), QDateTime::currentDateTime()));
        QVERIFY(zv::ListGuides::isStale(*second->guides()[0],
            QDateTime::currentDateTime().addSecs(-13 * 3600), QDateTime::currentDateTime()));

        // A guide in a file is read where it is.
        const QString file = dir_.filePath(QStringLiteral("guide.xml"));
        writeFile(file, endingSoon);
        failures.clear();
        QCOMPARE(run({file}, failures)->guides().size(), std::size_t(1));
        QVERIFY(failures.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTvSources)
#include "tst_tvsources.moc"
