// The feeds of the user's own podcasts: RSS 2.0, Atom, RSS 0.91 and 1.0 as
// they are written, episodes newest first with their dates, lengths and
// keys; feeds that fail say why in French.
#include "portal/podcasts/feed.h"
#include "support/podcastsamples.h"
#include "support/table.h"

#include <QTest>

using zv::test::episodeLines;

class TestFeed : public QObject {
    Q_OBJECT

private slots:
    void read_data()
    {
        // error: part of it; empty when read
        zv::test::columns<QByteArray, QString, QString, QString, QStringList, QString>(
            "body", "feedUrl", "title", "picture", "episodes", "error");

        const QString feed = QStringLiteral("https://f.example/rss");
        const QByteArray rss = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                               "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
                               "xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><title>T</title>\n";
        const auto items = [&](const QByteArray& body) { return rss + body + "</channel></rss>\n"; };

        zv::test::row("RSS 2.0 with iTunes tags",
            items(
                "<link>https://site.example/</link><itunes:image href=\"https://pics.example/c.jpg\"/>"
                "<image><title>Pas celui-ci</title><link>https://site.example/</link></image>"
                "<item><title><![CDATA[Épisode 1 : l’été]]></title><guid isPermaLink=\"false\">ep-1</guid>"
                "<pubDate>Mon, 04 Mar 2024 06:00:00 +0100</pubDate><enclosure "
                "url=\"https://m.example/1.mp3\" "
                "length=\"1\" type=\"audio/mpeg\"/><itunes:duration>01:02:30</itunes:duration></item>"
                "<item><title>Épisode 2</title><guid>https://site.example/2</guid><pubDate>Sat, 09 Mar 2024 "
                "07:30:00 GMT</pubDate><enclosure url=\"https://m.example/2.mp3?a=1&amp;b=2\" "
                "type=\"audio/mpeg\"/>"
                "<itunes:duration>2:30</itunes:duration></item>"
                "<item><title>Sans date</title><enclosure url=\"https://m.example/3.mp3\"/>"
                "<itunes:duration>150</itunes:duration></item>"
                "<item><title>Un billet</title><link>https://site.example/billet</link></item>"),
            feed, "T", "https://pics.example/c.jpg",
            QStringList{"Épisode 2|https://m.example/2.mp3?a=1&b=2|"
                        "2024-03-09T07:30:00Z|150|https://"
                        "site.example/2",
                "Épisode 1 : l’été|https://m.example/1.mp3|2024-03-"
                "04T05:00:00Z|3750|https://f.example/rss#ep-1",
                "Sans date|https://m.example/3.mp3||150|https://"
                "m.example/3.mp3"},
            QString());
        zv::test::row("Atom, oldest first, HTML title, relative addresses",
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\" "
                "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><title "
                "type=\"text\">ゼヴァロ "
                "音楽</title><icon>/i.ico</icon><logo>/logo.png</logo><link rel=\"self\" "
                "href=\"https://f.example/atom\"/><link href=\"https://site.example/\"/>"
                "<entry><title>Premier</title><id>urn:zevalo:1</id><updated>2024-03-01T08:00:00.250+01:00"
                "</updated><link rel=\"alternate\" href=\"https://site.example/1\"/><link "
                "rel=\"enclosure\" type=\"audio/mpeg\" length=\"9\" href=\"media/1.mp3\"/>"
                "<itunes:duration>0:08</itunes:duration></entry>"
                "<entry><title type=\"html\">&lt;b&gt;Deuxi&amp;egrave;me&lt;/b&gt; &amp;amp; "
                "fin</title><id>urn:zevalo:2</id><published>2024-03-08T08:00:00Z</published><updated>"
                "2024-03-10T08:00:00Z</updated><link href=\"https://m.example/2.m4a\"/></entry></feed>"),
            QString("https://f.example/flux/atom.xml"), "ゼヴァロ 音楽", "https://f.example/logo.png",
            QStringList{"Deuxième & fin|https://m.example/2.m4a|2024-03-08T08:00:00Z|-1|urn:zevalo:2",
                "Premier|https://f.example/flux/media/1.mp3|2024-03-01T07:00:00Z|8|urn:zevalo:1"},
            QString());
        zv::test::row("RSS 0.91 in ISO-8859-1: links to the sound, no dates, the feed's order",
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!DOCTYPE rss PUBLIC \"-//Netscape "
                "Communications//DTD RSS 0.91//EN\" "
                "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\">"
                "\n<rss version=\"0.91\"><channel><title>Radio \xe9t\xe9</title><image><title>R</title>"
                "<url>https://pics.example/r.gif</url></image>"
                "<item><title>B\x9cuf &#8364;</title><link>https://m.example/a.MP3</link></item>"
                "<item><title>Page</title><link>https://site.example/page.html</link></item>"
                "<item><title>Sport</title><link>https://m.example/b.mp3</link></item></channel></rss>"),
            QString(), "Radio été", "https://pics.example/r.gif",
            QStringList{"Bœuf €|https://m.example/a.MP3||-1|https://m.example/a.MP3",
                "Sport|https://m.example/b.mp3||-1|https://m.example/b.mp3"},
            QString());
        zv::test::row("RSS 1.0: items beside the channel, Dublin Core dates",
            QByteArray(
                "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                "<channel rdf:about=\"x\"><title>RDF</title><image "
                "rdf:resource=\"https://p.example/i.png\"/>"
                "</channel><image rdf:about=\"https://p.example/i.png\"><title>i</title>"
                "<url>https://p.example/i.png</url></image><item rdf:about=\"https://m.example/1.ogg\">"
                "<title>Un</title><link>https://m.example/1.ogg</link><dc:date>2024-03-09</dc:date></item>"
                "</rdf:RDF>"),
            QString(), "RDF", "https://p.example/i.png",
            QStringList{"Un|https://m.example/1.ogg|2024-03-09T00:00:00Z|-1|https://m.example/1.ogg"},
            QString());
        zv::test::row("Media RSS, enclosures of other types",
            items("<item><title>Groupe</title><media:group><media:content url=\"https://m.example/v.mp4\" "
                  "type=\"video/mp4\" duration=\"95\"/></media:group></item>"
                  "<item><title>Image puis son</title><enclosure url=\"https://m.example/p.jpg\" "
                  "type=\"image/jpeg\"/><enclosure url=\"https://m.example/s.mp3\" type=\"audio/mpeg\"/>"
                  "<media:content url=\"https://m.example/m.mp3\" duration=\"12\"/></item>"
                  "<item><title>Mal typé</title><enclosure url=\"https://m.example/o.mp3\" "
                  "type=\"application/octet-stream\"/></item>"),
            feed, "T", QString(),
            QStringList{"Groupe|https://m.example/v.mp4||95|https://m.example/v.mp4",
                "Image puis son|https://m.example/s.mp3||12|https://m.example/s.mp3",
                "Mal typé|https://m.example/o.mp3||-1|https://m.example/o.mp3"},
            QString());
        zv::test::row("an episode listed twice, titles escaped twice or missing",
            items("<item><title>Tom &amp;amp; Jerry &amp;eacute;t&amp;#233;</title><guid>g-1</guid>"
                  "<enclosure url=\"https://m.example/1.mp3\"/></item>"
                  "<item><title>Encore</title><guid>g-1</guid><enclosure "
                  "url=\"https://m.example/1b.mp3\"/></item>"
                  "<item><enclosure url=\"https://m.example/dossier/sans%20titre.mp3\"/></item>"),
            QString(), "T", QString(),
            QStringList{"Tom & Jerry été|https://m.example/1.mp3||-1|g-1",
                "sans titre.mp3|https://m.example/dossier/sans%20titre.mp3||-1|https://m.example/dossier/"
                "sans%20titre.mp3"},
            QString());
        const QString longTitle = QString(QStringLiteral("a ")).repeated(300);
        zv::test::row("a long title cut between words, a web address without a host",
            items("<item><title>" + longTitle.toUtf8()
                + "</title><enclosure url=\"https://m.example/a.mp3\"/>"
                  "</item><item><title>B</title><enclosure url=\"http:/b.mp3\"/></item>"),
            feed, "T", QString(),
            QStringList{longTitle.left(499) + "|https://m.example/a.mp3||-1|https://m.example/a.mp3"},
            QString());
        zv::test::row("relative enclosure without the feed's address",
            items("<item><title>A</title><enclosure url=\"a.mp3\"/></item>"), QString(), "T", QString(),
            QStringList(), QString("aucun épisode"));
        zv::test::row("cut in the middle of an item",
            items("<item><title>A</title><enclosure url=\"https://m.example/a.mp3\"/></item><item><title>B"
                  "</title><enclosure url=\"https://m.example/b.mp3\"/><itunes:dura")
                .chopped(30),
            QString(), "T", QString(), QStringList{"A|https://m.example/a.mp3||-1|https://m.example/a.mp3"},
            QString("incomplet"));
        zv::test::row(
            "no items", items({}), QString(), "T", QString(), QStringList(), QString("aucun épisode"));
        zv::test::row("a web page", QByteArray("<!DOCTYPE html><html><body>Moved</body></html>"), QString(),
            QString(), QString(), QStringList(), QString("page web"));
        zv::test::row("a subscription list", QByteArray("<opml><body/></opml>"), QString(), QString(),
            QString(), QStringList(), QString("RSS ou Atom"));
        zv::test::row("empty", QByteArray(), QString(), QString(), QString(), QStringList(), QString("vide"));
    }
    void read()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, feedUrl);
        QFETCH(QString, title);
        QFETCH(QString, picture);
        QFETCH(QStringList, episodes);
        QFETCH(QString, error);
        const zv::FeedReading f = zv::ReadFeed(body, feedUrl);
        QCOMPARE(episodeLines(f), episodes);
        QCOMPARE(f.title, title);
        QCOMPARE(f.picture, picture);
        QVERIFY2(error.isEmpty() ? f.error.isEmpty() : f.error.contains(error), qPrintable(f.error));
    }

    void siteAddress()
    {
        QCOMPARE(zv::ReadFeed("<rss><channel><link> https://site.example/ </link></channel></rss>").siteUrl,
            QString("https://site.example/"));
    }

    void date_data()
    {
        // utc: empty: no date
        zv::test::columns<QByteArray, QString>("text", "utc");
        zv::test::row("RFC 822", QByteArray("Sat, 09 Mar 2024 07:30:00 +0100"), "2024-03-09T06:30:00Z");
        zv::test::row(
            "negative offset", QByteArray("Sat, 09 Mar 2024 23:30:00 -0500"), "2024-03-10T04:30:00Z");
        zv::test::row("zone names", QByteArray("Sat, 09 Mar 2024 07:30:00 PDT"), "2024-03-09T14:30:00Z");
        zv::test::row("GMT", QByteArray("Sat, 09 Mar 2024 07:30:00 GMT"), "2024-03-09T07:30:00Z");
        zv::test::row(
            "offset with a colon", QByteArray("Sat, 09 Mar 2024 07:30:00 +05:30"), "2024-03-09T02:00:00Z");
        zv::test::row("GMT+1", QByteArray("Sat, 09 Mar 2024 07:30:00 GMT+1"), "2024-03-09T06:30:00Z");
        zv::test::row("no seconds, one-digit day, no zone", QByteArray("Sat, 9 Mar 2024 07:30"),
            "2024-03-09T07:30:00Z");
        zv::test::row(
            "no day name, two-digit year", QByteArray("09 Mar 24 07:30:00 +0000"), "2024-03-09T07:30:00Z");
        zv::test::row("full month, no comma", QByteArray("Saturday 9 March 2024 07:30:00 +0100"),
            "2024-03-09T06:30:00Z");
        zv::test::row("month first", QByteArray("Mar 09 2024 07:30:00 GMT"), "2024-03-09T07:30:00Z");
        zv::test::row(
            "French names", QByteArray("mar., 05 mars 2024 10:00:00 +0100"), "2024-03-05T09:00:00Z");
        zv::test::row(
            "French accents", QByteArray("Mer, 14 Févr. 2024 10:00:00 +0000"), "2024-02-14T10:00:00Z");
        zv::test::row(
            "unknown zone counts as UTC", QByteArray("Sat, 09 Mar 2024 07:30:00 A"), "2024-03-09T07:30:00Z");
        zv::test::row("RFC 3339", QByteArray("2024-03-09T07:30:00+01:00"), "2024-03-09T06:30:00Z");
        zv::test::row("fraction, Z", QByteArray("2024-03-09T07:30:00.5Z"), "2024-03-09T07:30:00Z");
        zv::test::row("space, no seconds, offset without colon", QByteArray("2024-03-09 07:30-0200"),
            "2024-03-09T09:30:00Z");
        zv::test::row("a date alone", QByteArray("2024-03-09"), "2024-03-09T00:00:00Z");
        zv::test::row(
            "29 February of a leap year", QByteArray("29 Feb 2024 12:00:00 GMT"), "2024-02-29T12:00:00Z");
        zv::test::row("29 February otherwise", QByteArray("29 Feb 2023 12:00:00 GMT"), QString());
        zv::test::row("month 13", QByteArray("2024-13-01T00:00:00Z"), QString());
        zv::test::row("hour 25", QByteArray("Sat, 09 Mar 2024 25:00:00 GMT"), QString());
        zv::test::row("bad offset", QByteArray("2024-03-09T07:30:00+1"), QString());
        zv::test::row("no month", QByteArray("Sat, 09 Foo 2024 07:30:00 GMT"), QString());
        zv::test::row("words", QByteArray("hier matin"), QString());
        zv::test::row("empty", QByteArray(), QString());
    }
    void date()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, utc);
        const std::optional<qint64> ms = zv::ParseFeedDate(text);
        QCOMPARE(ms ? QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC).toString(Qt::ISODate) : QString(), utc);
    }

    void duration_data()
    {
        zv::test::columns<QByteArray, int>("text", "seconds");
        zv::test::row("seconds", QByteArray("150"), 150);
        zv::test::row("mm:ss", QByteArray("2:30"), 150);
        zv::test::row("long minutes", QByteArray("75:00"), 4500);
        zv::test::row("hh:mm:ss", QByteArray(" 01:02:30 "), 3750);
        zv::test::row("fraction", QByteArray("1:02:30.500"), 3750);
        zv::test::row("seconds with a fraction", QByteArray("90.5"), 90);
        zv::test::row("zero: not said", QByteArray("0"), -1);
        zv::test::row("seconds over 59", QByteArray("1:75"), -1);
        zv::test::row("four fields", QByteArray("1:2:3:4"), -1);
        zv::test::row("words", QByteArray("une heure"), -1);
        zv::test::row("negative", QByteArray("-5"), -1);
        zv::test::row("empty", QByteArray(), -1);
        zv::test::row("huge", QByteArray("99999999999"), -1);
    }
    void duration()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, seconds);
        QCOMPARE(zv::ParseFeedDuration(text), seconds);
    }
};

QTEST_GUILESS_MAIN(TestFeed)
#include "tst_feed.moc"
