// The demo portal over loopback: every request of the client, answered in the
// grammar the client reads, and its handling of bad input and load.
#include "portal/canaux.h"
#include "portal/nmhttp.h"
#include "portal/userstate.h"
#include "portal/version.h"
#include "portalprocess.h"
#include "support/table.h"
#include "support/testtls.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSet>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The client's query encoding of a name: accent escape first, then letters and
// digits kept, space "+", every other byte %xx.
QByteArray clientEncode(QByteArray name)
{
    name.replace("\xE9", "%E%");
    QByteArray out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'))
            out += c;
        else if (c == ' ')
            out += '+';
        else
            out += '%' + QByteArray::number(b, 16).rightJustified(2, '0');
    }
    return out;
}

// Text between the first `open` and the following `close`; empty without close.
QByteArray between(const QByteArray& text, const QByteArray& open, const QByteArray& close)
{
    const qsizetype a = text.indexOf(open);
    if (a < 0)
        return {};
    const QByteArray after = text.mid(a + open.size());
    const qsizetype b = after.indexOf(close);
    return b < 0 ? QByteArray() : after.left(b);
}

QList<QByteArray> crlfLines(const QByteArray& body)
{
    QList<QByteArray> out;
    if (body.isEmpty())
        return out;
    for (const QByteArray& l : body.split('\n'))
        out.append(l.endsWith('\r') ? l.chopped(1) : l);
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

QByteArray pathOf(const QByteArray& url, const QByteArray& base)
{
    return url.startsWith(base) ? url.mid(base.size()) : QByteArray();
}

QByteArray withoutEnginePrefix(QByteArray url)
{
    for (const char* p : {"vlc:", "ra:", "wmp:"}) {
        if (url.startsWith(p))
            url = url.mid(int(qstrlen(p)));
    }
    return url;
}

QByteArray gunzip(const QByteArray& data)
{
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {"-dc"});
    gzip.write(data);
    gzip.closeWriteChannel();
    gzip.waitForFinished(20000);
    return gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray();
}

// "20240309065500 +0100"
QDateTime xmltvTime(const QString& text)
{
    QDateTime t = QDateTime::fromString(text.left(14), QStringLiteral("yyyyMMddHHmmss"));
    const int minutes = text.mid(16, 2).toInt() * 60 + text.mid(18, 2).toInt();
    t.setOffsetFromUtc((text.mid(15, 1) == QLatin1String("-") ? -60 : 60) * minutes);
    return t;
}

} // namespace

class TestPortalServer : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PortalProcess> server;

    RawAnswer get(const QByteArray& path) { return server->get(path); }

    // The answer's body through the client's own fetch component.
    QByteArray fetchWithClient(const QByteArray& url, bool* succeeded)
    {
        TNMHTTP http;
        *succeeded = false;
        http.OnSuccess = [&](int) { *succeeded = true; };
        http.Get(url);
        return http.Body;
    }

    void checkFetchable(const QByteArray& url, const QByteArray& typePrefix)
    {
        const QByteArray path = pathOf(url, server->base());
        QVERIFY2(!path.isEmpty(), url.constData());
        const RawAnswer a = get(path);
        QCOMPARE(a.status, 200);
        QVERIFY2(a.header("Content-Type").startsWith(typePrefix),
            (url + " " + a.header("Content-Type")).constData());
        QCOMPARE(a.header("Content-Length").toLongLong(), qint64(a.body.size()));
        QVERIFY(!a.body.isEmpty());
    }

private slots:
    void initTestCase()
    {
        server = std::make_unique<PortalProcess>();
        QVERIFY2(server->started(), "zevalo-portal did not start");
    }

    void cleanupTestCase()
    {
        QVERIFY(server->running()); // nothing in the run brought it down
        server.reset();
    }

    void connectionTestIsExactlyOk()
    {
        bool ok = false;
        const QByteArray body = fetchWithClient(server->host() + "/exe/test_connexion.php", &ok);
        QVERIFY(ok);
        QCOMPARE(body, QByteArray("ok"));
        const RawAnswer a = get("/exe/test_connexion.php");
        QCOMPARE(a.header("Connection").toLower(), QByteArray("close"));
    }

    void versionAndSponsorFlags()
    {
        // By default: the client's own version, no sponsor window.
        const RawAnswer v = get("/exe/cont.php?c=version");
        QCOMPARE(v.status, 200);
        QCOMPARE(zv::VersionNumber(v.body, QLatin1Char('.')), 3.1);
        QVERIFY(!get("/exe/cont.php?c=spons").body.toUpper().contains("OUI"));

        PortalProcess flagged({"--announce-version", "3.2", "--sponsor"});
        QVERIFY(flagged.started());
        QCOMPARE(zv::VersionNumber(flagged.get("/exe/cont.php?c=version").body, QLatin1Char('.')), 3.2);
        QVERIFY(flagged.get("/exe/cont.php?c=spons").body.toUpper().contains("OUI"));
    }

    void pageAddresses_data()
    {
        QTest::addColumn<QByteArray>("c");
        for (const char* c : {"urlaccg", "ieacc2", "urlchat", "urlsexo", "urlspons1", "urlspons2"})
            zv::test::row(c, QByteArray(c));
    }

    void pageAddresses()
    {
        QFETCH(QByteArray, c);
        const RawAnswer a = get("/exe/cont.php?c=" + c);
        QCOMPARE(a.status, 200);
        // Used whole as an address: nothing around it.
        QCOMPARE(a.body.trimmed(), a.body);
        QVERIFY2(a.body.startsWith(server->base() + "/"), a.body.constData());
        const RawAnswer page = get(pathOf(a.body, server->base()));
        QCOMPARE(page.status, 200);
        QVERIFY(page.header("Content-Type").startsWith("text/html"));
        QVERIFY(page.body.contains("<html"));
        QVERIFY(!page.body.contains("{{BASE}}"));
    }

    void addressesFollowTheHostAsked()
    {
        const RawAnswer a
            = server->raw("GET /exe/cont.php?c=urlchat HTTP/1.0\r\nHost: portail.example:8080\r\n\r\n");
        QCOMPARE(a.body, QByteArray("http://portail.example:8080/pages/chat.htm"));
        // A Host line that is no host name falls back to the listen address.
        const RawAnswer b = server->raw("GET /exe/cont.php?c=urlchat HTTP/1.0\r\nHost: <script>\r\n\r\n");
        QCOMPARE(b.body, server->base() + "/pages/chat.htm");
    }

    void messageAndAds()
    {
        const RawAnswer m = get("/exe/cont.php?c=message");
        QCOMPARE(m.status, 200);
        QVERIFY(m.body.size() > 10);
        QVERIFY(!m.body.contains('\n'));
        QVERIFY(m.header("Content-Type").contains("windows-1252"));
        QSet<QByteArray> ads;
        for (int i = 0; i < 3; ++i) {
            const RawAnswer a = get("/exe/cont.php?c=pub");
            QCOMPARE(a.status, 200);
            QVERIFY(a.body.contains("<html"));
            ads.insert(a.body);
        }
        QVERIFY(ads.size() > 1); // the ad rotates
    }

    void popupSchedule()
    {
        const RawAnswer a = get("/exe/cont.php?c=info_temps");
        QCOMPARE(a.status, 200);
        int shown = 0;
        for (const QByteArray& line : crlfLines(a.body)) {
            QMap<QByteArray, QByteArray> fields;
            for (const QByteArray& f : line.split(',')) {
                const qsizetype eq = f.indexOf('=');
                QVERIFY2(eq > 0, line.constData());
                fields[f.left(eq)] = f.mid(eq + 1);
            }
            bool ok = false;
            fields.value("delai").toInt(&ok);
            QVERIFY(ok);
            fields.value("largeur").toInt(&ok);
            QVERIFY(ok);
            fields.value("hauteur").toInt(&ok);
            QVERIFY(ok);
            if (fields.value("actif").toUpper() == "OUI") {
                ++shown;
                QCOMPARE(fields.value("delai").toInt(), 1);
                QCOMPARE(get(pathOf(fields.value("url"), server->base())).status, 200);
            }
        }
        QCOMPARE(shown, 1);
    }

    void channelLists_data()
    {
        zv::test::columns<QByteArray, int>("query", "icons");
        zv::test::row("television", QByteArray("t=3&colid"), int(zv::ChannelIcons::Tele));
        zv::test::row("radios", QByteArray("t=4&colid"), int(zv::ChannelIcons::Tele));
        zv::test::row("clips", QByteArray("t=1&colid"), int(zv::ChannelIcons::Video));
    }

    void channelLists()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, icons);
        bool ok = false;
        const QByteArray body = fetchWithClient(server->host() + "/exe/medias.php?" + query, &ok);
        QVERIFY(ok);
        const auto rows = zv::ParseChannelRecords(body, zv::ChannelIcons(icons));
        QVERIFY(rows.size() >= 5);
        int withId = 0, withIcon = 0;
        QSet<int> ids;
        for (const auto& r : rows) {
            QVERIFY(!r.caption.isEmpty());
            if (r.data != 0) {
                ++withId;
                QVERIFY(!ids.contains(r.data));
                ids.insert(r.data);
                // The content-viewed beacon counts it.
                QCOMPARE(get("/exe/vu.php?id=" + QByteArray::number(r.data)).status, 200);
            }
            if (r.imageIndex >= 0)
                ++withIcon;
            const QByteArray url = withoutEnginePrefix(r.url);
            const RawAnswer head = server->raw("HEAD " + pathOf(url, server->base()) + " HTTP/1.0\r\n\r\n");
            QVERIFY2(head.status == 200, url.constData());
            QVERIFY(head.header("Content-Type").startsWith("video/")
                || head.header("Content-Type").startsWith("audio/")
                || head.header("Content-Type").contains("realmedia"));
        }
        QVERIFY(withId * 2 > int(rows.size()));
        QVERIFY(withIcon > 0);
        if (icons == int(zv::ChannelIcons::Video))
            QVERIFY(withIcon < int(rows.size())); // the badge only on some clips
    }

    void everyEngineIsUsed()
    {
        QByteArray all;
        for (const char* q : {"t=3&colid", "t=4&colid", "t=1&colid"})
            all += get(QByteArray("/exe/medias.php?") + q).body + "\n";
        for (const char* needle :
            {".mp4", ".flv", ".wmv", ".mp3", ".rm", "@@vlc:http", "@@ra:http", "@@wmp:http"})
            QVERIFY2(all.contains(needle), needle);
    }

    void bouquets_data()
    {
        QTest::addColumn<QByteArray>("name");
        for (const char* b : {"free", "orange", "clubinternet", "belgacom"})
            zv::test::row(b, QByteArray(b));
    }

    void bouquets()
    {
        QFETCH(QByteArray, name);
        const RawAnswer a = get("/bouquet/" + name + ".m3u");
        QCOMPARE(a.status, 200);
        const auto rows = zv::ParseM3uBouquet(a.body);
        QVERIFY(rows.size() >= 3);
        for (const auto& r : rows) {
            QVERIFY(
                r.caption.size() > 0 && r.caption[0] >= '0' && r.caption[0] <= '9'); // channel number first
            QVERIFY(r.url.startsWith("vlc:"));
            QCOMPARE(server->raw("HEAD " + pathOf(r.url.mid(4), server->base()) + " HTTP/1.0\r\n\r\n").status,
                200);
        }
    }

    void bouquetAccentsReachTheClientAsWindows1252()
    {
        // free.m3u is UTF-8 as the box sends it; the client repairs it.
        const auto rows = zv::ParseM3uBouquet(get("/bouquet/free.m3u").body);
        bool found = false;
        for (const auto& r : rows)
            found = found
                || r.caption.contains("D\xE9"
                                      "couverte");
        QVERIFY(found);
    }

    void contentViewedCounts()
    {
        const RawAnswer first = get("/exe/vu.php?id=102");
        QCOMPARE(first.status, 200);
        const RawAnswer second = get("/exe/vu.php?id=102");
        QCOMPARE(second.body.toLong(), first.body.toLong() + 1);
        QVERIFY(crlfLines(get("/exe/vues.php").body).contains("102\t" + second.body));
        QCOMPARE(get("/exe/vu.php?id=999999").status, 404);
        QCOMPARE(get("/exe/vu.php?id=abc").status, 400);
        QCOMPARE(get("/exe/vu.php?id=-5").status, 400);
        QCOMPARE(get("/exe/vu.php").status, 400);
        QFile saved(server->dataDir() + "/vues.txt");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("102\t" + second.body));
    }

    void games()
    {
        const RawAnswer cats = get("/exe/medias.php?t=2&k=1");
        QCOMPARE(cats.status, 200);
        QVERIFY(!cats.body.contains('\xE9')); // accents travel escaped
        QVERIFY(cats.body.contains("%E%"));
        QList<QByteArray> categories = cats.body.split('#');
        categories.removeAll(QByteArray());
        QVERIFY(categories.size() >= 2);
        int swf = 0, html = 0;
        for (QByteArray category : categories) {
            category.replace("%E%", "\xE9");
            const RawAnswer list = get("/exe/medias.php?t=2&k=2&colid&cat=" + clientEncode(category));
            QCOMPARE(list.status, 200);
            const QList<QByteArray> entries = QByteArray(list.body).replace("||", "\n").split('\n');
            QVERIFY(!entries.isEmpty() && !entries[0].isEmpty());
            for (const QByteArray& entry : entries) {
                const qsizetype hash = entry.indexOf("##");
                QVERIFY(hash > 0);
                QVERIFY(entry.mid(hash + 2, 10).toInt() > 0);
                QByteArray game = entry.left(hash);
                QVERIFY(!game.contains('\xE9'));
                game.replace("%E%", "\xE9");

                // Launch data: address, then width=... height=...
                const RawAnswer launch = get("/exe/medias.php?t=2&k=3&jeu=" + clientEncode(game));
                QCOMPARE(launch.status, 200);
                const QList<QByteArray> parts = QByteArray(launch.body).replace("##", "\n").split('\n');
                QCOMPARE(parts.size(), 2);
                QMap<QByteArray, int> attrs;
                for (const QByteArray& kv : parts[1].toLower().split(' '))
                    attrs[kv.left(kv.indexOf('='))] = kv.mid(kv.indexOf('=') + 1).toInt();
                QVERIFY(attrs.value("width") > 0 && attrs.value("height") > 0);

                const RawAnswer desc = get("/exe/desc_fla.php?jeu=" + clientEncode(game));
                QCOMPARE(desc.status, 200);
                QVERIFY(desc.body.contains(game));

                if (parts[0].contains(".swf")) {
                    ++swf;
                    const RawAnswer movie = get(pathOf(parts[0], server->base()));
                    QCOMPARE(movie.status, 200);
                    QVERIFY(movie.body.startsWith("FWS"));
                    QCOMPARE(movie.header("Content-Type"), QByteArray("application/x-shockwave-flash"));
                } else {
                    ++html;
                    checkFetchable(parts[0], "text/html");
                    // The game window sends the name raw: spaces and Windows-1252 bytes.
                    const RawAnswer holder = server->raw("GET /exe/dir.php?w=100%&h=100%&bgcolor=FE00CB&jeu="
                        + game + " HTTP/1.0\r\nHost: " + server->host() + "\r\n\r\n");
                    QCOMPARE(holder.status, 200);
                    QVERIFY(holder.body.contains("#FE00CB"));
                    QVERIFY(holder.body.contains("src=\"" + parts[0] + "\""));
                }
            }
        }
        QVERIFY(swf >= 1);
        QVERIFY(html >= 1);
    }

    void gameNamesAreReadWhateverTheirEncoding_data()
    {
        zv::test::columns<QByteArray, int>("query", "status");
        zv::test::row("escaped and encoded", QByteArray("t=2&k=3&jeu=Fus%25E%25e+%25E%25toil%25E%25e"), 200);
        zv::test::row("escaped only", QByteArray("t=2&k=3&jeu=Fus%E%e+%E%toil%E%e"), 200);
        zv::test::row("UTF-8 encoded", QByteArray("t=2&k=3&jeu=Fus%C3%A9e%20%C3%A9toil%C3%A9e"), 200);
        zv::test::row("other case", QByteArray("t=2&k=3&jeu=FUS%25E%25E+%25E%25TOIL%25E%25E"), 200);
        zv::test::row("raw Windows-1252",
            QByteArray("t=2&k=3&jeu=Fus\xE9"
                       "e+\xE9toil\xE9"
                       "e"),
            200);
        zv::test::row("unknown game", QByteArray("t=2&k=3&jeu=Pacman"), 404);
        zv::test::row("no game", QByteArray("t=2&k=3"), 400);
        zv::test::row("unknown category", QByteArray("t=2&k=2&colid&cat=Sport"), 200);
        zv::test::row("no category", QByteArray("t=2&k=2&colid"), 400);
        zv::test::row("unknown k", QByteArray("t=2&k=9"), 400);
        zv::test::row("unknown t", QByteArray("t=7&colid"), 400);
        zv::test::row("nothing", QByteArray(""), 400);
    }

    void gameNamesAreReadWhateverTheirEncoding()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, status);
        const RawAnswer a = get("/exe/medias.php?" + query);
        QCOMPARE(a.status, status);
    }

    void podcasts()
    {
        const RawAnswer cat = get("/exe/podcast.php");
        QCOMPARE(cat.status, 200);
        QVERIFY(!cat.body.endsWith('\n'));
        QByteArray all;
        QSet<QByteArray> level0, level1;
        QByteArray lastKey;
        int sharedLevel1 = 0;
        for (const QByteArray& line : crlfLines(cat.body)) {
            const QList<QByteArray> f = line.split('\t');
            QCOMPARE(f.size(), 5);
            bool ok = false;
            f[0].toInt(&ok);
            QVERIFY(ok);
            const QByteArray key = f[1] + '\t' + f[2];
            if (key == lastKey)
                ++sharedLevel1;
            // The lines of one group follow one another.
            QVERIFY(key == lastKey || !level1.contains(key));
            lastKey = key;
            level0.insert(f[1]);
            level1.insert(key);

            bool fetched = false;
            TNMHTTP http;
            http.OnSuccess = [&](int) { fetched = true; };
            http.Get(f[4]); // the feed address as the catalogue gives it
            QVERIFY(fetched);
            const QByteArray channel = between(http.Body, "<channel", "</channel");
            QVERIFY(!channel.isEmpty());
            all += channel;
            QByteArray rest = channel;
            int items = 0;
            for (QByteArray item; !(item = between(rest, "<item", "</item")).isEmpty();) {
                ++items;
                QVERIFY(!between(item, "<title>", "</title>").isEmpty());
                QByteArray enclosure = between(item, "<enclosure", "</enclosure");
                if (enclosure.isEmpty())
                    enclosure = between(item, "<enclosure", "/>");
                const QByteArray media = between(enclosure, "url=\"", "\"");
                QCOMPARE(
                    server->raw("HEAD " + pathOf(media, server->base()) + " HTTP/1.0\r\n\r\n").status, 200);
                rest = rest.mid(rest.indexOf("</item") + 6);
            }
            QVERIFY(items >= 2);
            // The picture, as the client finds it.
            QByteArray picture;
            if (const QByteArray b = between(channel, "<image", "</image"); !b.isEmpty())
                picture = between(b, "<url>", "</url>");
            if (picture.isEmpty()) {
                QByteArray b = between(channel, "<itunes:image", "</itunes:image");
                if (b.isEmpty())
                    b = between(channel, "<itunes:image", "/>");
                picture = between(b, "href=\"", "\"");
            }
            if (!picture.isEmpty()) {
                checkFetchable(picture, "image/");
                QVERIFY(!picture.contains("autre.png")); // <image><url> wins over itunes:image
                const RawAnswer page = get("/exe/podcast_image.php?couleur=E0E8F0&url=" + picture);
                QVERIFY(page.body.contains("#E0E8F0"));
                QVERIFY(page.body.contains("<img src=\"" + picture + "\""));
            }
        }
        QVERIFY(level0.size() >= 2);
        QVERIFY(sharedLevel1 >= 1);
        // Every shape of feed the client reads occurs somewhere.
        for (const char* shape : {"<image>", "<itunes:image href=", "\"/>", "</itunes:image>", "</enclosure>",
                 "\" />", "&amp;", "&#", "\xC3"})
            QVERIFY2(all.contains(shape), shape);
        QCOMPARE(get("/podcasts/inconnu.xml").status, 404);
    }

    // The own-list example, its guide, the own-podcast feeds and their
    // subscription file: in their format, well formed, and every address
    // they name (streams, logos, the guide, feeds, episodes) answers.
    void ownListsAndFeeds_data()
    {
        zv::test::columns<QByteArray, QByteArray, QByteArrayList>("path", "type", "shapes");
        zv::test::row("own list", QByteArray("/listes/zevalo.m3u"),
            QByteArray("audio/x-mpegurl; charset=utf-8"),
            QByteArrayList{"#EXTM3U url-tvg=\"", "\" group-title=\"", "#EXTGRP:Radios\n",
                "#EXTVLCOPT:", ",Zevalo M\xC3\xA9t\xC3\xA9o, la cha\xC3\xAEne du temps\n"});
        zv::test::row("guide", QByteArray("/guide/zevalo.xml"), QByteArray("application/xml; charset=utf-8"),
            QByteArrayList{"<tv ", "<channel id=\"", "<programme start=\""});
        zv::test::row("guide, compressed", QByteArray("/guide/zevalo.xml.gz"), QByteArray("application/gzip"),
            QByteArrayList{"<tv ", "<programme start=\""});
        zv::test::row("RSS 2.0", QByteArray("/flux/chroniques.xml"),
            QByteArray("application/rss+xml; charset=utf-8"),
            QByteArrayList{"<rss version=\"2.0\"", "<pubDate>", "<enclosure url=",
                "<itunes:duration>00:02:30<", "<itunes:duration>0:08<", "<itunes:duration>8<"});
        zv::test::row("Atom", QByteArray("/flux/musique.xml"),
            QByteArray("application/atom+xml; charset=utf-8"),
            QByteArrayList{"<feed xmlns=\"http://www.w3.org/2005/Atom\"", "<published>",
                "<link rel=\"enclosure\"", "<itunes:duration>"});
        zv::test::row("RSS 0.91", QByteArray("/flux/archives.xml"),
            QByteArray("application/rss+xml; charset=iso-8859-1"),
            QByteArrayList{"encoding=\"ISO-8859-1\"", "<rss version=\"0.91\"", "<title>\xC0 table"});
        zv::test::row("subscriptions", QByteArray("/flux/abonnements.opml"),
            QByteArray("text/x-opml; charset=utf-8"),
            QByteArrayList{"<opml version=\"2.0\"",
                "<outline text=\"D\xC3\xA9"
                "couvertes\"",
                "text=\"\xE3\x82\xBC\xE3\x83\xB4\xE3\x82\xA1\xE3\x83\xAD"});
    }

    void ownListsAndFeeds()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, type);
        QFETCH(QByteArrayList, shapes);
        const RawAnswer a = get(path);
        QCOMPARE(a.status, 200);
        QCOMPARE(a.header("Content-Type"), type);
        const QByteArray body = path.endsWith(".gz") ? gunzip(a.body) : a.body;
        for (const QByteArray& shape : shapes)
            QVERIFY2(body.contains(shape), shape.constData());
        if (!path.endsWith(".m3u")) {
            QXmlStreamReader xml(body);
            while (!xml.atEnd())
                xml.readNext();
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        }
        static const QRegularExpression address(QStringLiteral("http://127\\.0\\.0\\.1:\\d+/[^\"<\\s]*"));
        QSet<QString> named;
        for (auto it = address.globalMatch(QString::fromLatin1(body)); it.hasNext();)
            named.insert(it.next().captured());
        QVERIFY(named.size() >= 3);
        for (const QString& url : named) {
            const QByteArray target = pathOf(url.toLatin1(), server->base());
            QVERIFY2(server->raw("HEAD " + target + " HTTP/1.0\r\n\r\n").status == 200, qPrintable(url));
        }
        QCOMPARE(get(path.left(path.lastIndexOf('/') + 1) + "inconnu.xml").status, 404);
    }

    // Every channel of the list has a guide from yesterday to tomorrow, each
    // programme ending where the next begins, one of them on now; times carry
    // the offset of the channel's own country.
    void guideAroundNow()
    {
        QMap<QString, QList<std::pair<QDateTime, QDateTime>>> programmes;
        QSet<QString> offsets;
        QXmlStreamReader xml(get("/guide/zevalo.xml").body);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement
                && xml.name() == QLatin1String("programme")) {
                const auto at = xml.attributes();
                programmes[at.value("channel").toString()].append(
                    {xmltvTime(at.value("start").toString()), xmltvTime(at.value("stop").toString())});
                offsets.insert(at.value("start").toString().mid(15));
            }
        }
        QVERIFY(!xml.hasError());
        static const QRegularExpression tvgId(QStringLiteral("tvg-id=\"([^\"]+)\""));
        int channels = 0;
        const QDateTime now = QDateTime::currentDateTime();
        for (auto it = tvgId.globalMatch(QString::fromUtf8(get("/listes/zevalo.m3u").body)); it.hasNext();
             ++channels) {
            const QString id = it.next().captured(1);
            const auto& list = programmes.value(id);
            QVERIFY2(!list.isEmpty(), qPrintable(id));
            QVERIFY(list.first().first.secsTo(now) > 12 * 3600);
            QVERIFY(now.secsTo(list.last().second) > 24 * 3600);
            int onNow = 0;
            for (qsizetype i = 0; i < list.size(); ++i) {
                QVERIFY(list[i].first < list[i].second);
                QVERIFY(i == 0 || list[i - 1].second == list[i].first);
                onNow += list[i].first <= now && now < list[i].second;
            }
            QCOMPARE(onNow, 1);
        }
        QVERIFY(channels >= 10);
        if (QTimeZone("Asia/Tokyo").isValid())
            QVERIFY(offsets.contains(QStringLiteral("+0900")) && offsets.size() >= 4);
    }

    void podcastPicturePage_data()
    {
        zv::test::columns<QByteArray, QByteArray, QByteArray>("query", "mustHave", "mustNotHave");
        zv::test::row("blank", QByteArray("couleur=C0C0C0"), QByteArray("#C0C0C0"), QByteArray("<img"));
        zv::test::row(
            "bad colour", QByteArray("couleur=red;}body{x&url="), QByteArray("#FFFFFF"), QByteArray("red;"));
        zv::test::row("script in url", QByteArray("couleur=000000&url=http://a/\"><script>alert(1)</script>"),
            QByteArray("#000000"), QByteArray("<script>"));
        zv::test::row("not http", QByteArray("couleur=000000&url=javascript:alert(1)"), QByteArray("#000000"),
            QByteArray("javascript:"));
        zv::test::row("url with query", QByteArray("couleur=123456&url=http://a/b.jpg?x=1&y=2"),
            QByteArray("src=\"http://a/b.jpg?x=1&amp;y=2\""), QByteArray("<script"));
    }

    void podcastPicturePage()
    {
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, mustHave);
        QFETCH(QByteArray, mustNotHave);
        const RawAnswer a = get("/exe/podcast_image.php?" + query);
        QCOMPARE(a.status, 200);
        QVERIFY2(a.body.contains(mustHave), a.body.constData());
        QVERIFY(!a.body.contains(mustNotHave));
    }

    void mp3SearchPages()
    {
        QSet<QByteArray> seen;
        int position = 0;
        for (;;) {
            const RawAnswer a
                = get("/exe/rech_rbc.php?num_page=" + QByteArray::number(position) + "&recherche=");
            QCOMPARE(a.status, 200);
            const auto lines = crlfLines(a.body);
            QVERIFY(lines.size() <= 20);
            if (lines.isEmpty())
                break;
            for (const QByteArray& l : lines) {
                const QList<QByteArray> f = l.split('\t');
                QCOMPARE(f.size(), 2);
                QVERIFY(!seen.contains(f[0]));
                seen.insert(f[0]);
            }
            position += int(lines.size());
            if (lines.size() < 20)
                break;
        }
        QVERIFY(seen.size() > 20); // more than one answer
        checkFetchable(*seen.begin(), "audio/mpeg");
    }

    void mp3Search_data()
    {
        zv::test::columns<QByteArray, int, QByteArray>("query", "count", "everyTitleHas");
        zv::test::row("words joined by _", QByteArray("num_page=0&recherche=zo%e9_laval"), 3,
            QByteArray("Zo\xE9 Laval"));
        zv::test::row(
            "without accents", QByteArray("num_page=0&recherche=zoe_laval"), 3, QByteArray("Zo\xE9 Laval"));
        zv::test::row(
            "from position 2", QByteArray("num_page=2&recherche=zoe_laval"), 1, QByteArray("Zo\xE9 Laval"));
        zv::test::row("accented word", QByteArray("num_page=0&recherche=%e9t%e9"), 3, QByteArray(""));
        zv::test::row("past the end", QByteArray("num_page=500&recherche="), 0, QByteArray());
        zv::test::row("no match", QByteArray("num_page=0&recherche=xylophone"), 0, QByteArray());
        zv::test::row("no position", QByteArray("recherche=zoe"), 3, QByteArray("Zo\xE9"));
    }

    void mp3Search()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, count);
        QFETCH(QByteArray, everyTitleHas);
        const RawAnswer a = get("/exe/rech_rbc.php?" + query);
        QCOMPARE(a.status, 200);
        const auto lines = crlfLines(a.body);
        QCOMPARE(int(lines.size()), count);
        for (const QByteArray& l : lines)
            QVERIFY(l.split('\t').value(1).contains(everyTitleHas));
    }

    void videoSearchPages()
    {
        QSet<QByteArray> seen;
        QList<int> sizes;
        for (int page = 1; page <= 4; ++page) {
            const RawAnswer a = get("/exe/rech_dm.php?num_page=" + QByteArray::number(page) + "&recherche=");
            QCOMPARE(a.status, 200);
            const auto lines = crlfLines(a.body);
            sizes.append(int(lines.size()));
            for (const QByteArray& l : lines) {
                const QList<QByteArray> f = l.split('\t');
                QCOMPARE(f.size(), 4);
                QVERIFY(QRegularExpression("^\\d\\d : \\d\\d$").match(QString::fromLatin1(f[1])).hasMatch());
                QVERIFY(!seen.contains(f[3]));
                seen.insert(f[3]);
                if (seen.size() == 1) {
                    checkFetchable(f[2], "image/jpeg");
                    checkFetchable(withoutEnginePrefix(f[3]), "video/");
                }
            }
        }
        QCOMPARE(sizes.value(0), 12);
        QCOMPARE(sizes.value(1), 12);
        QVERIFY(sizes.value(2) > 0 && sizes.value(2) < 12);
        QCOMPARE(sizes.value(3), 0);
    }

    void videoSearch_data()
    {
        zv::test::columns<QByteArray, QByteArray, int>("query", "firstTitle", "status");
        zv::test::row("double-encoded space", QByteArray("num_page=1&recherche=mon%2520chat"),
            QByteArray("Mon chat joue du piano"), 200);
        zv::test::row("single-encoded space", QByteArray("num_page=1&recherche=mon%20chat"),
            QByteArray("Mon chat joue du piano"), 200);
        zv::test::row("accent double-encoded", QByteArray("num_page=1&recherche=cr%25e9pe"),
            QByteArray("La recette de la cr\xC3\xAApe bretonne"), 200);
        zv::test::row(
            "page 2 of one result", QByteArray("num_page=2&recherche=mon%2520chat"), QByteArray(), 200);
        zv::test::row("bad page", QByteArray("num_page=un&recherche=chat"), QByteArray(), 400);
    }

    void videoSearch()
    {
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, firstTitle);
        QFETCH(int, status);
        const RawAnswer a = get("/exe/rech_dm.php?" + query);
        QCOMPARE(a.status, status);
        if (status == 200)
            QCOMPARE(crlfLines(a.body).value(0).split('\t').value(0), firstTitle);
    }

    void outsidePages_data()
    {
        QTest::addColumn<QByteArray>("path");
        for (const char* p : {"/", "/mobile_b.htm", "/get_mp3.htm", "/videos/", "/exe/contact.php",
                 "/jeux/casse-briques.htm", "/jeux/planete-memoire.htm", "/style.css"})
            zv::test::row(p, QByteArray(p));
    }

    void outsidePages()
    {
        QFETCH(QByteArray, path);
        const RawAnswer a = get(path);
        QCOMPARE(a.status, 200);
        QVERIFY(a.header("Content-Type").contains("windows-1252"));
        QVERIFY(!a.body.contains("\xC3\xA9")); // sent as Windows-1252, not as the UTF-8 files hold them
    }

    void contactMessageIsKept()
    {
        const QByteArray form
            = "nom=Jos%E9&email=jose%40exemple.fr&sujet=Bravo&message=Ligne+un%0D%0A---+fausse+"
              "ent%EAte%0D%0ALigne+trois";
        const RawAnswer a = server->raw("POST /exe/contact.php HTTP/1.0\r\nHost: " + server->host()
            + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: "
            + QByteArray::number(form.size()) + "\r\n\r\n" + form);
        QCOMPARE(a.status, 200);
        QVERIFY(a.body.contains("Merci"));
        QCOMPARE(get("/exe/contact.php?nom=Ann&message=Par+GET").status, 200);
        QCOMPARE(get("/exe/contact.php?nom=Vide&message=").status, 400);

        QFile f(server->dataDir() + "/contact.txt");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QStringLiteral("Nom : José")));
        QVERIFY(text.contains(
            QStringLiteral("  --- fausse entête\n"))); // indented: cannot pass for a record start
        QVERIFY(text.contains(QStringLiteral("  Par GET\n")));
        QVERIFY(!text.contains(QStringLiteral("Vide")));
    }

    void concurrentContactMessagesNeverInterleave()
    {
        PortalProcess own;
        QVERIFY(own.started());
        constexpr int n = 24;
        QList<QTcpSocket*> sockets;
        for (int i = 0; i < n; ++i) {
            const QByteArray message
                = "message=" + QByteArray(3000, char('a' + i % 26)) + "+fin" + QByteArray::number(i);
            auto* s = new QTcpSocket(this);
            s->connectToHost(QStringLiteral("127.0.0.1"), quint16(own.port()));
            s->write("POST /exe/contact.php HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                     "Content-Length: "
                + QByteArray::number(message.size()) + "\r\n\r\n" + message);
            sockets.append(s);
        }
        for (QTcpSocket* s : sockets) {
            QByteArray bytes;
            while (s->state() == QAbstractSocket::ConnectedState
                || s->state() == QAbstractSocket::ConnectingState) {
                if (!s->waitForReadyRead(10000))
                    break;
                bytes += s->readAll();
            }
            bytes += s->readAll();
            QCOMPARE(parseAnswer(bytes).status, 200);
            delete s;
        }
        QFile f(own.dataDir() + "/contact.txt");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        for (int i = 0; i < n; ++i) {
            const QByteArray line
                = "  " + QByteArray(3000, char('a' + i % 26)) + " fin" + QByteArray::number(i) + "\n";
            QCOMPARE(text.count(line), 1);
        }
        QCOMPARE(text.count("\n--- "), n - 1);
    }

    void traversalIsRefused_data()
    {
        QTest::addColumn<QByteArray>("path");
        zv::test::row("dots", QByteArray("/../../../../etc/passwd"));
        zv::test::row("media dots", QByteArray("/media/../../../../etc/passwd"));
        zv::test::row("encoded dots", QByteArray("/media/%2e%2e/%2e%2e/%2e%2e/etc/passwd"));
        zv::test::row("encoded slash", QByteArray("/media/..%2f..%2f..%2fetc%2fpasswd"));
        zv::test::row("double-encoded", QByteArray("/media/%252e%252e/%252e%252e/etc/passwd"));
        zv::test::row("backslash", QByteArray("/media/..%5c..%5cetc%5cpasswd"));
        zv::test::row("to the catalogue", QByteArray("/media/../catalogue.json"));
        zv::test::row("nul byte", QByteArray("/media/tv/zevalo-tv.mp4%00.htm"));
        zv::test::row("absolute", QByteArray("/media//etc/passwd"));
        zv::test::row("generated folder", QByteArray("/generated/tv/zevalo-tv.mp4"));
        zv::test::row("layout", QByteArray("/modeles/base.htm"));
        zv::test::row("encoded layout folder", QByteArray("/%6Dodeles//page.htm"));
    }

    void traversalIsRefused()
    {
        QFETCH(QByteArray, path);
        const RawAnswer a = get(path);
        QVERIFY2(a.status == 404 || a.status == 400, QByteArray::number(a.status).constData());
        QVERIFY(!a.body.contains("root:"));
        QVERIFY(!a.body.contains("\"tele\""));
    }

    void badInputGetsAnAnswer_data()
    {
        zv::test::columns<QByteArray, int>("request", "status");
        zv::test::row("unknown page", QByteArray("GET /exe/inconnu.php HTTP/1.0\r\n\r\n"), 404);
        zv::test::row("unknown content", QByteArray("GET /exe/cont.php?c=rien HTTP/1.0\r\n\r\n"), 404);
        zv::test::row("no content", QByteArray("GET /exe/cont.php HTTP/1.0\r\n\r\n"), 404);
        zv::test::row("unknown bouquet", QByteArray("GET /bouquet/sfr.m3u HTTP/1.0\r\n\r\n"), 404);
        zv::test::row(
            "huge query", "GET /exe/cont.php?c=" + QByteArray(20000, 'x') + " HTTP/1.0\r\n\r\n", 414);
        zv::test::row("huge header", "GET / HTTP/1.0\r\nX: " + QByteArray(20000, 'x') + "\r\n\r\n", 431);
        zv::test::row("garbage", QByteArray("\x01\x02\x03 nothing\r\n\r\n"), 400);
        zv::test::row("bare LF", QByteArray("GET /exe/test_connexion.php HTTP/1.0\n\n"), 200);
        zv::test::row("HTTP/0.9 style", QByteArray("GET /exe/test_connexion.php\r\n\r\n"), 200);
        zv::test::row("POST elsewhere",
            QByteArray("POST /exe/cont.php?c=message HTTP/1.0\r\nContent-Length: 0\r\n\r\n"), 405);
        zv::test::row("huge form",
            "POST /exe/contact.php HTTP/1.0\r\nContent-Length: 10000000\r\n\r\n" + QByteArray(1000, 'x'),
            413);
        zv::test::row("bad percent",
            QByteArray("GET /exe/rech_rbc.php?num_page=%zz&recherche=%%%% HTTP/1.0\r\n\r\n"), 400);
        zv::test::row("negative page", QByteArray("GET /exe/rech_rbc.php?num_page=-1 HTTP/1.0\r\n\r\n"), 400);
        // Ranges are for files: the text answers come whole.
        zv::test::row("range of a text answer",
            QByteArray("GET /exe/test_connexion.php HTTP/1.0\r\nRange: bytes=5-\r\n\r\n"), 200);
        zv::test::row("malformed range",
            QByteArray("GET /media/tv/zevalo-tv.mp4 HTTP/1.0\r\nRange: bytes=abc\r\n\r\n"), 200);
    }

    void badInputGetsAnAnswer()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QCOMPARE(server->raw(request).status, status);
        QCOMPARE(get("/exe/test_connexion.php").body, QByteArray("ok")); // still serving
    }

    void silentClientsDoNotBlockOthers()
    {
        QList<QTcpSocket*> idle;
        for (int i = 0; i < 30; ++i) {
            auto* s = new QTcpSocket(this);
            s->connectToHost(QStringLiteral("127.0.0.1"), quint16(server->port()));
            s->waitForConnected(2000);
            idle.append(s);
        }
        QCOMPARE(get("/exe/test_connexion.php").body, QByteArray("ok"));
        qDeleteAll(idle);
    }

    void manyClientsAtOnce()
    {
        const QList<QByteArray> paths = {"/exe/test_connexion.php", "/exe/medias.php?t=3&colid",
            "/exe/podcast.php", "/media/tv/zevalo-tv.mp4", "/exe/rech_rbc.php?num_page=0&recherche="};
        QMap<QByteArray, QByteArray> expected;
        for (const QByteArray& p : paths)
            expected[p] = get(p).body;
        constexpr int n = 60;
        QList<QTcpSocket*> sockets;
        QList<QByteArray> asked;
        for (int i = 0; i < n; ++i) {
            auto* s = new QTcpSocket(this);
            s->connectToHost(QStringLiteral("127.0.0.1"), quint16(server->port()));
            asked.append(paths[i % paths.size()]);
            s->write("GET " + asked.last() + " HTTP/1.0\r\nHost: " + server->host() + "\r\n\r\n");
            sockets.append(s);
        }
        for (int i = 0; i < n; ++i) {
            QTcpSocket* s = sockets[i];
            QByteArray bytes;
            while (s->state() != QAbstractSocket::UnconnectedState) {
                if (!s->waitForReadyRead(20000))
                    break;
                bytes += s->readAll();
            }
            bytes += s->readAll();
            const RawAnswer a = parseAnswer(bytes);
            QCOMPARE(a.status, 200);
            QCOMPARE(a.body, expected[asked[i]]);
            delete s;
        }
    }

    void http11KeepAliveAndRanges()
    {
        QNetworkAccessManager nam;
        auto fetch = [&](const QByteArray& path, const QByteArray& range) {
            QNetworkRequest req(QUrl(QString::fromLatin1(server->base() + path)));
            if (!range.isEmpty())
                req.setRawHeader("Range", range);
            std::unique_ptr<QNetworkReply> reply(nam.get(req));
            QSignalSpy done(reply.get(), &QNetworkReply::finished);
            done.wait(10000);
            return std::make_pair(
                reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll());
        };
        const auto whole = fetch("/media/tv/zevalo-tv.mp4", {});
        QCOMPARE(whole.first, 200);
        const auto part = fetch("/media/tv/zevalo-tv.mp4", "bytes=100-199");
        QCOMPARE(part.first, 206);
        QCOMPARE(part.second, whole.second.mid(100, 100));
        const auto tail = fetch("/media/tv/zevalo-tv.mp4", "bytes=-50");
        QCOMPARE(tail.second, whole.second.right(50));
        QCOMPARE(fetch("/media/tv/zevalo-tv.mp4", "bytes=99999999-").first, 416);
        QCOMPARE(fetch("/exe/test_connexion.php", {}).second, QByteArray("ok"));
    }

    // A download cut half-way and resumed gets the exact bytes of the file,
    // whatever the media; a validator that no longer holds gets the whole
    // file, never a part of another one.
    void resumeEveryMediaKind_data()
    {
        QTest::addColumn<QByteArray>("file");
        // Television in the four containers, radio, MP3 download, podcast
        // episodes, video search, pictures, Flash game.
        for (const char* file : {"tv/zevalo-tv.mp4", "tv/canal-decouverte.flv", "tv/bruxelles-infos.wmv",
                 "tv/leman-television.rm", "radio/radio-zevalo.mp3", "mp3/clara-bleu-automne.mp3",
                 "podcasts/journal-1.mp3", "podcasts/cine-club-1.mp4", "videos/video-01.mp4",
                 "tv/zevalo-tv.jpg", "podcasts/journal.png", "jeux/balle-rebondissante.swf"})
            zv::test::row(file, QByteArray(file));
    }

    void resumeEveryMediaKind()
    {
        QFETCH(QByteArray, file);
        QFile disk(QStringLiteral(ZV_TEST_MEDIA "/") + QString::fromLatin1(file));
        QVERIFY(disk.open(QIODevice::ReadOnly));
        const QByteArray bytes = disk.readAll();
        const QByteArray size = QByteArray::number(bytes.size());
        const QByteArray cut = QByteArray::number(bytes.size() / 2);
        const QByteArray path = "/media/" + file;

        const RawAnswer whole = get(path);
        QCOMPARE(whole.status, 200);
        QVERIFY(whole.body == bytes);
        const QByteArray tag = whole.header("ETag");
        QVERIFY2(tag.startsWith('"') && tag.endsWith('"'), tag.constData());
        const RawAnswer first
            = server->get(path, "Range: bytes=0-" + QByteArray::number(bytes.size() / 2 - 1) + "\r\n");
        QCOMPARE(first.status, 206);
        QCOMPARE(first.header("Content-Range"),
            "bytes 0-" + QByteArray::number(bytes.size() / 2 - 1) + '/' + size);
        for (const QByteArray& validator : {tag, whole.header("Last-Modified")}) {
            const RawAnswer rest
                = server->get(path, "Range: bytes=" + cut + "-\r\nIf-Range: " + validator + "\r\n");
            QCOMPARE(rest.status, 206);
            QCOMPARE(rest.header("Content-Range"),
                "bytes " + cut + '-' + QByteArray::number(bytes.size() - 1) + '/' + size);
            QCOMPARE(rest.header("ETag"), tag);
            QVERIFY(first.body + rest.body == bytes);
        }
        // The client's own resume: a .part of the first half, recorded as the
        // download of this address, is finished by a ranged request.
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("fichier"));
        QFile part(target + QStringLiteral(".part"));
        QVERIFY(part.open(QIODevice::WriteOnly) && part.write(first.body) == first.body.size());
        part.close();
        const QByteArray url = server->host() + path;
        zv::UserState::instance().setPartialDownload(
            part.fileName(), {url, tag, whole.header("Last-Modified"), bytes.size()});
        TNMHTTP http;
        http.InputFileMode = true;
        http.Body = QFile::encodeName(target);
        http.Get(url);
        QCOMPARE(http.StatusCode(), 206);
        QFile done(target);
        QVERIFY(done.open(QIODevice::ReadOnly));
        QVERIFY(done.readAll() == bytes);

        const RawAnswer changed = server->get(path, "Range: bytes=" + cut + "-\r\nIf-Range: \"1-2\"\r\n");
        QCOMPARE(changed.status, 200);
        QVERIFY(changed.body == bytes);
        const RawAnswer beyond = server->get(path, "Range: bytes=" + size + "-\r\n");
        QCOMPARE(beyond.status, 416);
        QCOMPARE(beyond.header("Content-Range"), "bytes */" + size);
    }

    void secondPortalOnTheSamePortFails()
    {
        // It must not share the port (and split the clients) with the first.
        PortalProcess second({"--listen", "127.0.0.1:" + QString::number(server->port())});
        QVERIFY(!second.started());
        QVERIFY(!second.running());
        QCOMPARE(get("/exe/test_connexion.php").body, QByteArray("ok"));
    }

    // Started with a certificate, the same port answers plain HTTP and TLS;
    // the catalogue offers its feeds over TLS, the media stay plain.
    void tlsOnTheSamePort()
    {
        zv::test::TestAuthority ca;
        ca.trustInThisProcess();
        QTemporaryDir dir;
        const QString cert = dir.filePath(QStringLiteral("cert.pem"));
        const QString key = dir.filePath(QStringLiteral("key.pem"));
        QVERIFY(ca.issue({QStringLiteral("127.0.0.1")}).writeTo(cert, key));
        PortalProcess tls({"--tls-cert", cert, "--tls-key", key});
        QVERIFY(tls.started());
        const QByteArray secure = "https://" + tls.host();

        // A broken handshake is dropped without an answer; the port serves on.
        QCOMPARE(tls.raw(QByteArray("\x16\x03\x01\x00\x05hello\r\n\r\n", 13), 5000).status, 0);
        bool ok = false;
        QCOMPARE(fetchWithClient(tls.host() + "/exe/test_connexion.php", &ok), QByteArray("ok"));
        QCOMPARE(fetchWithClient(secure + "/exe/test_connexion.php", &ok), QByteArray("ok"));
        const QList<QByteArray> first
            = crlfLines(fetchWithClient(tls.host() + "/exe/podcast.php", &ok)).value(0).split('\t');
        QVERIFY2(first.value(4).startsWith(secure + "/podcasts/"), first.value(4).constData());
        const QByteArray feed = fetchWithClient(first.value(4), &ok);
        QVERIFY(ok);
        const QByteArray media = between(between(feed, "<enclosure", ">"), "url=\"", "\"");
        QVERIFY2(media.startsWith(tls.base() + "/media/"), media.constData());

        // A download over TLS, byte for byte what plain HTTP gives.
        TNMHTTP http;
        http.InputFileMode = true;
        http.Body = QFile::encodeName(dir.filePath(QStringLiteral("episode.mp3")));
        http.Get(secure + pathOf(media, tls.base()));
        QCOMPARE(http.StatusCode(), 200);
        QFile file(QString::fromUtf8(http.Body));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray plain = tls.get(pathOf(media, tls.base())).body;
        QVERIFY(plain.size() > 1000);
        QVERIFY(file.readAll() == plain);
    }

    void tlsOptionsAreChecked_data()
    {
        QTest::addColumn<QStringList>("args"); // "@" stands for the folder of the files
        zv::test::row("certificate without key", QStringList{"--tls-cert", "@/cert.pem"});
        zv::test::row(
            "key that is not one", QStringList{"--tls-cert", "@/cert.pem", "--tls-key", "@/cert.pem"});
        zv::test::row("missing file", QStringList{"--tls-cert", "@/absent.pem", "--tls-key", "@/key.pem"});
    }
    void tlsOptionsAreChecked()
    {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        zv::test::TestAuthority ca;
        QVERIFY(
            ca.issue({QStringLiteral("127.0.0.1")})
                .writeTo(dir.filePath(QStringLiteral("cert.pem")), dir.filePath(QStringLiteral("key.pem"))));
        args.replaceInStrings(QStringLiteral("@"), dir.path());
        PortalProcess refused(args);
        QVERIFY(!refused.started());
        QTRY_VERIFY(!refused.running());
    }

    void oneLogLinePerRequest()
    {
        PortalProcess own;
        QVERIFY(own.started());
        own.get("/exe/cont.php?c=version");
        own.get("/inconnu");
        auto logLines = [&] {
            QFile log(own.logFile());
            return log.open(QIODevice::ReadOnly) ? log.readAll().trimmed().split('\n') : QList<QByteArray>();
        };
        QTRY_COMPARE(logLines().size(), 2);
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith("GET /exe/cont.php?c=version 200 7"));
        QVERIFY(lines[1].contains("GET /inconnu 404 "));
    }
};

QTEST_GUILESS_MAIN(TestPortalServer)
#include "tst_portalserver.moc"
