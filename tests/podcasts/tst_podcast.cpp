// The podcast catalogue and feed readers.
#include "portal/podcast.h"
#include "support/table.h"

#include <QTest>

using Episodes = QList<QPair<QByteArray, QByteArray>>; // title, address

class TestPodcast : public QObject {
    Q_OBJECT

private slots:
    void between_data()
    {
        zv::test::columns<QByteArray, QByteArray, QByteArray, QByteArray>(
            "text", "open", "close", "expected");
        zv::test::row("attributes kept", QByteArray("<a x=\"1\">b</a>"), QByteArray("<a"), QByteArray("</a"),
            QByteArray(" x=\"1\">b"));
        zv::test::row("first open, first close after it", QByteArray("</b><b>1</b><b>2</b>"),
            QByteArray("<b>"), QByteArray("</b>"), QByteArray("1"));
        zv::test::row("no close", QByteArray("<b>1"), QByteArray("<b>"), QByteArray("</b>"), QByteArray());
        zv::test::row("no open", QByteArray("1</b>"), QByteArray("<b>"), QByteArray("</b>"), QByteArray());
        zv::test::row(
            "case-sensitive", QByteArray("<B>1</B>"), QByteArray("<b>"), QByteArray("</b>"), QByteArray());
        zv::test::row(
            "empty between", QByteArray("<b></b>"), QByteArray("<b>"), QByteArray("</b>"), QByteArray());
    }
    void between()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, open);
        QFETCH(QByteArray, close);
        QFETCH(QByteArray, expected);
        QCOMPARE(zv::Between(text, open, close).toByteArray(), expected);
    }

    void dropFirst_data()
    {
        zv::test::columns<QByteArray, QByteArray>("text", "expected");
        zv::test::row("first block out", QByteArray("a<i>1</i>b<i>2</i>"), QByteArray("ab<i>2</i>"));
        zv::test::row("no close: cut before open", QByteArray("a<i>1"), QByteArray("a"));
        zv::test::row("no open", QByteArray("a</i>"), QByteArray("a</i>"));
        zv::test::row("close before open", QByteArray("a</i>b<i>1</i>"), QByteArray("a</i>b<i>1</i>"));
    }
    void dropFirst()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(zv::DropFirst(text, "<i>", "</i>"), expected);
    }

    void catalogue()
    {
        const zv::PodcastCatalogue c
            = zv::ParsePodcastCatalogue("1\tSciences\tEspace\tLa t\xeate\thttp://p/1.xml\r\n"
                                        "\r\n"
                                        "2\tSciences\tEspace\r\n"
                                        "x\tA\tB\tC\thttp://p/x.xml\r\n"
                                        "007\tCulture\tCin\xe9ma\tClub\thttp://p/7.xml\textra\r\n"
                                        "99999999999\tA\tB\tC\tD\n"
                                        "-3\tA\tB\t\t");
        QCOMPARE(c.badLines, (std::vector<int>{3, 4, 6}));
        QCOMPARE(c.entries.size(), size_t(3));
        QCOMPARE(c.entries[0].id, 1);
        QCOMPARE(c.entries[0].title, QByteArray("La t\xeate"));
        QCOMPARE(c.entries[0].feed, QByteArray("http://p/1.xml"));
        QCOMPARE(c.entries[1].id, 7);
        QCOMPARE(c.entries[1].subgroup, QByteArray("Cin\xe9ma"));
        QCOMPARE(c.entries[1].feed, QByteArray("http://p/7.xml"));
        QCOMPARE(c.entries[2].id, -3);
        QCOMPARE(c.entries[2].feed, QByteArray());
    }

    void feed_data()
    {
        zv::test::columns<QByteArray, QByteArray, Episodes>("body", "picture", "episodes");
        const QByteArray item = "<item><title>Un</title><enclosure url=\"http://m/1.mp3\"/></item>";
        const Episodes one = {{"Un", "http://m/1.mp3"}};

        zv::test::row("url wins over itunes",
            "<rss><channel><itunes:image href=\"http://p/it.png\"/><image><title>x</title>"
            "<url>http://p/rss.png</url></image>"
                + item + "</channel></rss>",
            QByteArray("http://p/rss.png"), one);
        zv::test::row("image block without url: itunes",
            "<channel><image><title>x</title></image><itunes:image href=\"http://p/it.png\"/>" + item
                + "</channel>",
            QByteArray("http://p/it.png"), one);
        zv::test::row("itunes closed form",
            "<channel><itunes:image href=\"http://p/c.png\"></itunes:image>" + item + "</channel>",
            QByteArray("http://p/c.png"), one);
        zv::test::row("no picture", "<channel>" + item + "</channel>", QByteArray(), one);
        zv::test::row("no channel", item, QByteArray(), Episodes{});
        zv::test::row(
            "channel not closed", "<channel><image><url>u</url></image>" + item, QByteArray(), Episodes{});
        zv::test::row(
            "no items", QByteArray("<channel><title>T</title></channel>"), QByteArray(), Episodes{});
        zv::test::row("enclosures: self-closing, closed, none",
            QByteArray("<channel><item><title>A</title><enclosure url=\"http://m/a.mp3\" length=\"5\" "
                       "type=\"audio/mpeg\" /></item>"
                       "<item><title>B</title><enclosure url=\"http://m/b.mp3\"></enclosure></item>"
                       "<item><title>C</title></item></channel>"),
            QByteArray(), Episodes{{"A", "http://m/a.mp3"}, {"B", "http://m/b.mp3"}, {"C", ""}});
        zv::test::row("single quotes, &amp; in addresses",
            QByteArray("<channel><image><url>http://p/i.png?a=1&amp;b=2</url></image>"
                       "<item><title>A</title><enclosure url='http://m/a.mp3?k=1&amp;t=2' /></item>"
                       "</channel>"),
            QByteArray("http://p/i.png?a=1&b=2"), Episodes{{"A", "http://m/a.mp3?k=1&t=2"}});
        zv::test::row("entities and UTF-8 accents",
            QByteArray("<channel><item><title>Caf\xc3\xa9 &amp; cr\xc3\xa8me &#233;t&eacute;</title></item>"
                       "</channel>"),
            QByteArray(), Episodes{{"Caf\xe9 & cr\xe8me \xe9t\xe9", ""}});
        zv::test::row("close before the first item",
            "<channel><description>x</item></description>" + item
                + "<item><title>Deux</title></item></channel>",
            QByteArray(), Episodes{{"Un", "http://m/1.mp3"}, {"Deux", ""}});
        zv::test::row(
            "only a stray close", QByteArray("<channel></item></item></channel>"), QByteArray(), Episodes{});
        zv::test::row(
            "empty item ends", "<channel><item</item>" + item + "</channel>", QByteArray(), Episodes{});
        zv::test::row("last item not closed", "<channel>" + item + "<item><title>X</title></channel>",
            QByteArray(), one);
        zv::test::row(
            "items after the channel ignored", "<channel>" + item + "</channel>" + item, QByteArray(), one);

        // Shapes of real feeds.
        const QByteArray utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                                "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n<channel>\n";
        zv::test::row("generated: CDATA, indented addresses, UTF-8",
            utf8
                + "  <title><![CDATA[Les Pieds sur terre]]></title>\n  <image>\n    <url>\n      "
                  "https://pics.example/cover.jpg\n    </url>\n  </image>\n  <item>\n    <title>\n      "
                  "<![CDATA[L\xe2\x80\x99\xc3\xa9t\xc3\xa9 \xe2\x80\x93 \xc2\xab C\xc5\x93ur \xc2\xbb & "
                  "co]]>\n    </title>\n    <enclosure url=\"\n https://media.example/ep1.mp3?a=1 \" "
                  "length=\"1\" type=\"audio/mpeg\"/>\n  </item>\n</channel>\n</rss>\n",
            QByteArray("https://pics.example/cover.jpg"),
            Episodes{{"L\x92\xe9t\xe9 \x96 \xab C\x9cur \xbb & co", "https://media.example/ep1.mp3?a=1"}});
        zv::test::row("CDATA picture address, itunes href with blanks",
            utf8 + "<image><url><![CDATA[ https://pics.example/a.png\r\n]]></url></image>" + item
                + "</channel>",
            QByteArray("https://pics.example/a.png"), one);
        zv::test::row("UTF-8 outside Windows-1252, references",
            utf8
                + "<item><title>\xd0\x9f\xd1\x80\xd0\xb8 \xf0\x9f\x8e\x99 &#233; "
                  "&eacute; L&#8217;&amp;#8217;&#039;&#8594;</title></item></channel>",
            QByteArray(), Episodes{{"??? ? \xe9 \xe9 L\x92\x92'?", ""}});
        zv::test::row("undeclared: single bytes and UTF-8 read alike",
            QByteArray("<rss><channel><item><title>Caf\xe9 \x92 \xe2\x80\x99</title></item></channel></rss>"),
            QByteArray(), Episodes{{"Caf\xe9 \x92 \x92", ""}});
        zv::test::row("ISO-8859-1: only accent pairs repaired",
            QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss><channel><item><title>Caf\xe9 "
                       "\xc3\xa9 \xe2\x80\x99</title></item></channel></rss>"),
            QByteArray(), Episodes{{"Caf\xe9 \xe9 \xe2\x80\x99", ""}});
        zv::test::row("windows-1252 in single quotes",
            QByteArray("<?xml version='1.0' encoding='windows-1252' ?>\r\n<rss><channel><item><title>"
                       "\x93Le \x80\x94\x85\x94 \xe2\x80\x99</title></item></channel></rss>"),
            QByteArray(), Episodes{{"\x93Le \x80\x94\x85\x94 \xe2\x80\x99", ""}});
        zv::test::row("CDATA mixed with text, entities outside it",
            QByteArray("<channel><item><title>A &amp; <![CDATA[B <i>]]>C</title></item></channel>"),
            QByteArray(), Episodes{{"A & B <i>C", ""}});
        zv::test::row("CDATA cut short in a title",
            QByteArray("<channel><item><title><![CDATA[Coup\xc3\xa9</title></item></channel>"), QByteArray(),
            Episodes{{"Coup\xe9", ""}});
        zv::test::row("ends inside CDATA", "<channel>" + item + "<item><title><![CDATA[Suite", QByteArray(),
            Episodes{});
        zv::test::row("RSS 0.91",
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!DOCTYPE rss PUBLIC \"-//Netscape "
                "Communications//DTD RSS 0.91//EN\" "
                "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\n"
                "<rss version=\"0.91\"><channel><title>Radio</title><link>http://r.example/</link>"
                "<image><title>Radio</title><url>http://r.example/logo.gif</url><width>88</width></image>"
                "<item><title>Journal de 8 h</title><link>http://r.example/8h.html</link></item>"
                "</channel></rss>"),
            QByteArray("http://r.example/logo.gif"), Episodes{{"Journal de 8 h", ""}});
        zv::test::row("Atom",
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                "<title>A</title><entry><title>E</title><link rel=\"enclosure\" "
                "href=\"http://m.example/e.mp3\"/></entry></feed>"),
            QByteArray(), Episodes{});
    }
    void feed()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, picture);
        QFETCH(Episodes, episodes);
        const zv::PodcastFeed f = zv::ParsePodcastFeed(body);
        QCOMPARE(f.picture, picture);
        Episodes got;
        for (const zv::PodcastEpisode& e : f.episodes)
            got.append({e.title, e.url});
        QCOMPARE(got, episodes);
    }

    void largeFeed()
    {
        // Many items, each read once: a reader that re-copies the channel per
        // item would take minutes here.
        QByteArray body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><channel>";
        const int n = 100000;
        for (int i = 0; i < n; ++i)
            body += "<item><title><![CDATA[\xc3\x89pisode " + QByteArray::number(i)
                + "]]></title><enclosure url=\" http://m/" + QByteArray::number(i) + ".mp3\"/></item>";
        body += "</channel>";
        const zv::PodcastFeed f = zv::ParsePodcastFeed(body);
        QCOMPARE(f.episodes.size(), size_t(n));
        QCOMPARE(f.episodes.back().title, QByteArray("\xc9pisode 99999"));
        QCOMPARE(f.episodes.back().url, QByteArray("http://m/99999.mp3"));
        // A 10 MB section that never closes.
        const zv::PodcastFeed cut = zv::ParsePodcastFeed(
            "<channel><item><title><![CDATA[" + QByteArray(10 << 20, ']') + "</title></item></channel>");
        QCOMPARE(cut.episodes.size(), size_t(1));
        QCOMPARE(cut.episodes[0].title.size(), 10 << 20);
    }
};

QTEST_APPLESS_MAIN(TestPodcast)
#include "tst_podcast.moc"
