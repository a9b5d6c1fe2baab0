// The podcast catalogue and feed readers.
#include "portal/podcast.h"

#include <QTest>

using Episodes = QList<QPair<QByteArray, QByteArray>>; // title, address

class TestPodcast : public QObject {
    Q_OBJECT

private slots:
    void between_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QByteArray>("close");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("attributes kept") << QByteArray("<a x=\"1\">b</a>") << QByteArray("<a")
                                         << QByteArray("</a") << QByteArray(" x=\"1\">b");
        QTest::newRow("first open, first close after it")
            << QByteArray("</b><b>1</b><b>2</b>") << QByteArray("<b>") << QByteArray("</b>")
            << QByteArray("1");
        QTest::newRow("no close") << QByteArray("<b>1") << QByteArray("<b>") << QByteArray("</b>")
                                  << QByteArray();
        QTest::newRow("no open") << QByteArray("1</b>") << QByteArray("<b>") << QByteArray("</b>")
                                 << QByteArray();
        QTest::newRow("case-sensitive")
            << QByteArray("<B>1</B>") << QByteArray("<b>") << QByteArray("</b>") << QByteArray();
        QTest::newRow("empty between")
            << QByteArray("<b></b>") << QByteArray("<b>") << QByteArray("</b>") << QByteArray();
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
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("first block out") << QByteArray("a<i>1</i>b<i>2</i>") << QByteArray("ab<i>2</i>");
        QTest::newRow("no close: cut before open") << QByteArray("a<i>1") << QByteArray("a");
        QTest::newRow("no open") << QByteArray("a</i>") << QByteArray("a</i>");
        QTest::newRow("close before open") << QByteArray("a</i>b<i>1</i>") << QByteArray("a</i>b<i>1</i>");
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
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<Episodes>("episodes");
        const QByteArray item = "<item><title>Un</title><enclosure url=\"http://m/1.mp3\"/></item>";
        const Episodes one = {{"Un", "http://m/1.mp3"}};

        QTest::newRow("url wins over itunes")
            << "<rss><channel><itunes:image href=\"http://p/it.png\"/><image><title>x</title>"
               "<url>http://p/rss.png</url></image>"
                + item + "</channel></rss>"
            << QByteArray("http://p/rss.png") << one;
        QTest::newRow("image block without url: itunes")
            << "<channel><image><title>x</title></image><itunes:image href=\"http://p/it.png\"/>" + item
                + "</channel>"
            << QByteArray("http://p/it.png") << one;
        QTest::newRow("itunes closed form")
            << "<channel><itunes:image href=\"http://p/c.png\"></itunes:image>" + item + "</channel>"
            << QByteArray("http://p/c.png") << one;
        QTest::newRow("no picture") << "<channel>" + item + "</channel>" << QByteArray() << one;
        QTest::newRow("no channel") << item << QByteArray() << Episodes{};
        QTest::newRow("channel not closed")
            << "<channel><image><url>u</url></image>" + item << QByteArray() << Episodes{};
        QTest::newRow("no items") << QByteArray("<channel><title>T</title></channel>") << QByteArray()
                                  << Episodes{};
        QTest::newRow("enclosures: self-closing, closed, none")
            << QByteArray("<channel><item><title>A</title><enclosure url=\"http://m/a.mp3\" length=\"5\" "
                          "type=\"audio/mpeg\" /></item>"
                          "<item><title>B</title><enclosure url=\"http://m/b.mp3\"></enclosure></item>"
                          "<item><title>C</title></item></channel>")
            << QByteArray() << Episodes{{"A", "http://m/a.mp3"}, {"B", "http://m/b.mp3"}, {"C", ""}};
        QTest::newRow("entities and UTF-8 accents") << QByteArray(
            "<channel><item><title>Caf\xc3\xa9 &amp; cr\xc3\xa8me &#233;t&eacute;</title></item>"
            "</channel>") << QByteArray() << Episodes{{"Caf\xe9 & cr\xe8me \xe9t\xe9", ""}};
        QTest::newRow("close before the first item")
            << "<channel><description>x</item></description>" + item
                + "<item><title>Deux</title></item></channel>"
            << QByteArray() << Episodes{{"Un", "http://m/1.mp3"}, {"Deux", ""}};
        QTest::newRow("only a stray close")
            << QByteArray("<channel></item></item></channel>") << QByteArray() << Episodes{};
        QTest::newRow("empty item ends")
            << "<channel><item</item>" + item + "</channel>" << QByteArray() << Episodes{};
        QTest::newRow("last item not closed")
            << "<channel>" + item + "<item><title>X</title></channel>" << QByteArray() << one;
        QTest::newRow("items after the channel ignored")
            << "<channel>" + item + "</channel>" + item << QByteArray() << one;
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
        QByteArray body = "<channel>";
        const int n = 100000;
        for (int i = 0; i < n; ++i)
            body += "<item><title>" + QByteArray::number(i) + "</title><enclosure url=\"http://m/"
                + QByteArray::number(i) + ".mp3\"/></item>";
        body += "</channel>";
        const zv::PodcastFeed f = zv::ParsePodcastFeed(body);
        QCOMPARE(f.episodes.size(), size_t(n));
        QCOMPARE(f.episodes.back().url, QByteArray("http://m/99999.mp3"));
    }
};

QTEST_APPLESS_MAIN(TestPodcast)
#include "tst_podcast.moc"
