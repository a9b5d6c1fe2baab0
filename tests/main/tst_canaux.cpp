// The channel list readers: the portal's record lists and the M3U bouquets.
#include "portal/canaux.h"
#include "support/table.h"

#include <QTest>

using zv::ChannelIcons;
using zv::ChannelRow;

Q_DECLARE_METATYPE(zv::ChannelIcons)

namespace {

// caption|url|data|image per row, rows joined by "\n", for compact tables.
QByteArray dump(const std::vector<ChannelRow>& rows)
{
    QByteArrayList out;
    for (const ChannelRow& r : rows)
        out << r.caption + '|' + r.url + '|' + QByteArray::number(r.data) + '|'
                + QByteArray::number(r.imageIndex);
    return out.join('\n');
}

} // namespace

class TestCanaux : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data()
    {
        zv::test::columns<QByteArray, QByteArrayList>("text", "lines");
        zv::test::row("empty", QByteArray(), QByteArrayList{});
        zv::test::row("one", QByteArray("a"), QByteArrayList{"a"});
        zv::test::row("crlf", QByteArray("a\r\nb\r\n"), QByteArrayList{"a", "b"});
        zv::test::row("lf", QByteArray("a\nb"), QByteArrayList{"a", "b"});
        zv::test::row("lone cr", QByteArray("a\rb"), QByteArrayList{"a", "b"});
        zv::test::row("blank lines", QByteArray("\n\na\n"), QByteArrayList{"", "", "a"});
        zv::test::row("lf cr is two breaks", QByteArray("a\n\rb"), QByteArrayList{"a", "", "b"});
    }
    void splitLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArrayList, lines);
        const auto got = zv::SplitLines(text);
        QCOMPARE(QByteArrayList(got.begin(), got.end()), lines);
    }

    void extractBracketToken_data()
    {
        zv::test::columns<QByteArray, QByteArray, QByteArray>("text", "rest", "token");
        zv::test::row("leading", QByteArray("[fr]TF1"), QByteArray("TF1"), QByteArray("fr"));
        zv::test::row(
            "spaces stay", QByteArray("Radio [be] Une"), QByteArray("Radio  Une"), QByteArray("be"));
        zv::test::row("none", QByteArray("Arte"), QByteArray("Arte"), QByteArray());
        zv::test::row("closing first", QByteArray("a]b[c"), QByteArray("a]b[c"), QByteArray());
        zv::test::row("only opening", QByteArray("[fr TF1"), QByteArray("[fr TF1"), QByteArray());
        zv::test::row("empty token", QByteArray("[]M6"), QByteArray("M6"), QByteArray());
        zv::test::row("first pair only", QByteArray("[a][b]x"), QByteArray("[b]x"), QByteArray("a"));
    }
    void extractBracketToken()
    {
        QFETCH(QByteArray, text);
        QByteArray rest, token = "stale";
        zv::ExtractBracketToken(text, rest, token);
        QTEST(rest, "rest");
        QTEST(token, "token");
    }

    void findTextNoCase()
    {
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, zv::FlagCount - 1, "fr"), 12);
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, zv::FlagCount - 1, "FR"), 12);
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, zv::FlagCount - 1, "za"), 0);
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, zv::FlagCount - 1, "Us"), 32);
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, zv::FlagCount - 1, "xx"), -1);
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, zv::FlagCount - 1, ""), -1);
        // The search covers only 0..lastIndex.
        QCOMPARE(zv::FindTextNoCase(zv::FlagCodes, 11, "fr"), -1);
        QCOMPARE(zv::FindTextNoCase(zv::VideoBadgeCodes, 0, "NEW"), 0);
    }

    void records_data()
    {
        zv::test::columns<QByteArray, ChannelIcons, QByteArray>("body", "icons", "rows");
        const auto tele = ChannelIcons::Tele;
        zv::test::row("example", QByteArray("[fr]France 24@@mms://tv.example/f24##42"), tele,
            QByteArray("France 24|mms://tv.example/f24|42|12"));
        zv::test::row("upper key", QByteArray("[FR]TF1@@u"), tele, QByteArray("TF1|u|0|12"));
        zv::test::row("unknown key", QByteArray("[xx]Chaine@@u"), tele, QByteArray("Chaine|u|0|-1"));
        zv::test::row("empty key", QByteArray("[]Chaine@@u"), tele, QByteArray("Chaine|u|0|-1"));
        zv::test::row("no key", QByteArray("Chaine@@u"), tele, QByteArray("Chaine|u|0|-1"));
        zv::test::row(
            "badge", QByteArray("[new]Clip@@c.wmv##7"), ChannelIcons::Video, QByteArray("Clip|c.wmv|7|0"));
        zv::test::row("flag key in clip list", QByteArray("[fr]Clip@@c"), ChannelIcons::Video,
            QByteArray("Clip|c|0|-1"));
        zv::test::row("no icons", QByteArray("[fr]A@@u"), ChannelIcons::None, QByteArray("A|u|0|-1"));
        zv::test::row("pipes", QByteArray("A@@a||B@@b##2"), tele, QByteArray("A|a|0|-1\nB|b|2|-1"));
        zv::test::row("crlf", QByteArray("A@@a\r\nB@@b\r\n"), tele, QByteArray("A|a|0|-1\nB|b|0|-1"));
        zv::test::row("lf", QByteArray("A@@a\nB@@b"), tele, QByteArray("A|a|0|-1\nB|b|0|-1"));
        zv::test::row(
            "mixed", QByteArray("A@@a||B@@b\nC@@c"), tele, QByteArray("A|a|0|-1\nB|b|0|-1\nC|c|0|-1"));
        zv::test::row("three pipes", QByteArray("A@@a|||B@@b"), tele, QByteArray("A|a|0|-1\n|B|b|0|-1"));
        zv::test::row(
            "pipes then lf", QByteArray("A@@a||\nB@@b"), tele, QByteArray("A|a|0|-1\n||0|-1\nB|b|0|-1"));
        zv::test::row(
            "cr then pipes", QByteArray("A@@a\r||B@@b"), tele, QByteArray("A|a|0|-1\n||0|-1\nB|b|0|-1"));
        zv::test::row("trailing pipes", QByteArray("A@@a||"), tele, QByteArray("A|a|0|-1"));
        zv::test::row("lone pipe", QByteArray("A@@a|b"), tele, QByteArray("A|a|b|0|-1"));
        zv::test::row("empty body", QByteArray(), tele, QByteArray());
        zv::test::row(
            "no marker", QByteArray("Chaine sans adresse"), tele, QByteArray("|haine sans adresse|0|-1"));
        zv::test::row(
            "empty record", QByteArray("A@@a||||B@@b"), tele, QByteArray("A|a|0|-1\n||0|-1\nB|b|0|-1"));
        zv::test::row("id not a number", QByteArray("A@@u##abc"), tele, QByteArray("A|u|0|-1"));
        zv::test::row("id with text after", QByteArray("A@@u##12x"), tele, QByteArray("A|u|0|-1"));
        zv::test::row("empty id", QByteArray("A@@u##"), tele, QByteArray("A|u|0|-1"));
        zv::test::row("negative id", QByteArray("A@@u##-5"), tele, QByteArray("A|u|-5|-1"));
        zv::test::row(
            "id of ten digits read", QByteArray("A@@u##1234567890"), tele, QByteArray("A|u|1234567890|-1"));
        // Only ten characters are read: the eleventh digit is dropped.
        zv::test::row(
            "id cut to ten", QByteArray("A@@u##12345678901"), tele, QByteArray("A|u|1234567890|-1"));
        zv::test::row("id beyond 32 bits", QByteArray("A@@u##9999999999"), tele, QByteArray("A|u|0|-1"));
        zv::test::row("two hash pairs", QByteArray("A@@u##5##6"), tele, QByteArray("A|u|0|-1"));
        zv::test::row("two hash pairs, number first", QByteArray("A@@u##56##"), tele, QByteArray("A|u|0|-1"));
        zv::test::row("address keeps prefix", QByteArray("A@@vlc:http://x/y.ts"), tele,
            QByteArray("A|vlc:http://x/y.ts|0|-1"));
        zv::test::row("second @@ stays in address", QByteArray("A@@u@@v"), tele, QByteArray("A|u@@v|0|-1"));
    }
    void records()
    {
        QFETCH(QByteArray, body);
        QFETCH(ChannelIcons, icons);
        QTEST(dump(zv::ParseChannelRecords(body, icons)), "rows");
    }

    void recordTwoHashPairsId()
    {
        // The id is read after the first "##": "5##6" is no integer, "56" is.
        const auto rows = zv::ParseChannelRecords("A@@u##56##9", ChannelIcons::Tele);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].data, 0);
        QCOMPARE(zv::ParseChannelRecords("A@@u##56", ChannelIcons::Tele)[0].data, 56);
    }

    void recordAddressCut()
    {
        const QByteArray longAddress(10000, 'x');
        auto rows = zv::ParseChannelRecords("Long@@" + longAddress, ChannelIcons::Tele);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].url.size(), 1000);
        // An id beyond the cut is lost with it.
        rows = zv::ParseChannelRecords("L@@" + QByteArray(999, 'u') + "##42", ChannelIcons::Tele);
        QCOMPARE(rows[0].data, 0);
        QCOMPARE(rows[0].url, QByteArray(999, 'u') + '#');
    }

    void recordBinaryBytes()
    {
        QByteArray body;
        for (int i = 0; i < 256; ++i)
            body += char(i);
        body += QByteArray("@@\x00\xff##3", 7);
        const auto rows = zv::ParseChannelRecords(body, ChannelIcons::Tele);
        QVERIFY(!rows.empty()); // CR and LF inside split it; nothing else matters
        QCOMPARE(rows.back().data, 3);
    }

    void m3u_data()
    {
        zv::test::columns<QByteArray, QByteArray>("body", "rows");
        zv::test::row("lower-case tag, digit title", QByteArray("#extinf:0,2 - France 2\nrtsp://box/f2"),
            QByteArray("2 - France 2|vlc:rtsp://box/f2|0|-1"));
        zv::test::row("crlf",
            QByteArray("#EXTM3U\r\n#EXTINF:0,201 - TF1\r\nrtsp://a\r\n#EXTINF:0,202 - M6\r\nrtsp://b\r\n"),
            QByteArray("201 - TF1|vlc:rtsp://a|0|-1\n202 - M6|vlc:rtsp://b|0|-1"));
        zv::test::row("duration -1", QByteArray("#EXTINF:-1,2 - France 2\nrtsp://x"), QByteArray());
        zv::test::row("letter title", QByteArray("#EXTINF:0,France 2\nrtsp://x"), QByteArray());
        zv::test::row("no comma", QByteArray("#EXTINF:0 2\nrtsp://x"), QByteArray());
        zv::test::row("empty after tag", QByteArray("#EXTINF:\nrtsp://x"), QByteArray());
        zv::test::row("empty line after title", QByteArray("#EXTINF:0,3 Arte\n\nrtsp://x"),
            QByteArray("3 Arte|vlc:|0|-1"));
        zv::test::row("comment clears", QByteArray("#EXTINF:0,3 Arte\n# Arte HD\nrtsp://x"), QByteArray());
        zv::test::row(
            "other tag clears", QByteArray("#EXTINF:0,3 Arte\n#EXTGRP:TNT\nrtsp://x"), QByteArray());
        // An operator's radio: an option line between the title and its address.
        zv::test::row("vlc option keeps the title",
            QByteArray("#EXTM3U\r\n#EXTINF:0,100001 - Radio Nova\r\n#EXTVLCOPT:no-video\r\n"
                       "rtsp://mafreebox.freebox.fr/fbxtv_pub/stream?namespace=1&service=100001\r\n"),
            QByteArray("100001 - Radio Nova|vlc:rtsp://mafreebox.freebox.fr/fbxtv_pub/"
                       "stream?namespace=1&service=100001|0|-1"));
        zv::test::row("several options, any case",
            QByteArray("#EXTINF:0,5 A\n#extvlcopt:network-caching=1000\n#EXTVLCOPT:http-user-agent=VLC\nu"),
            QByteArray("5 A|vlc:u|0|-1"));
        zv::test::row("option then empty line", QByteArray("#EXTINF:0,5 A\n#EXTVLCOPT:x\n\nu"),
            QByteArray("5 A|vlc:|0|-1"));
        zv::test::row("option alone", QByteArray("#EXTVLCOPT:no-video\nu"), QByteArray());
        zv::test::row("generic iptv line",
            QByteArray("#EXTM3U\r\n#EXTINF:-1 tvg-id=\"France2.fr\" tvg-logo=\"http://l/f2.png\" "
                       "group-title=\"TNT\",France 2\r\nhttp://iptv.example/f2.m3u8\r\n"),
            QByteArray());
        zv::test::row("lone address", QByteArray("rtsp://x\nrtsp://y"), QByteArray());
        zv::test::row("lone title", QByteArray("#EXTINF:0,3 Arte"), QByteArray());
        zv::test::row("address used once", QByteArray("#EXTINF:0,3 Arte\nrtsp://x\nrtsp://y"),
            QByteArray("3 Arte|vlc:rtsp://x|0|-1"));
        zv::test::row(
            "later title wins", QByteArray("#EXTINF:0,1 A\n#EXTINF:0,2 B\nu"), QByteArray("2 B|vlc:u|0|-1"));
        zv::test::row("bad title keeps pending", QByteArray("#EXTINF:0,1 A\n#EXTINF:0,B\nu"),
            QByteArray("1 A|vlc:u|0|-1"));
        zv::test::row("utf-8 repaired", QByteArray("#EXTINF:0,5 T\xc3\xa9l\xc3\xa9\nu"),
            QByteArray("5 T\xe9l\xe9|vlc:u|0|-1"));
        zv::test::row("utf-8 quotes and dashes, windows-1252 kept",
            QByteArray("#EXTINF:0,6 L\xe2\x80\x99\xc3\xa9t\xc3\xa9 \xe2\x80\x93 \xd0\x96\nu\n#EXTINF:0,7 "
                       "T\xe9l\xe9\nv"),
            QByteArray("6 L\x92\xe9t\xe9 \x96 ?|vlc:u|0|-1\n7 T\xe9l\xe9|vlc:v|0|-1"));
        zv::test::row("bom on first line", QByteArray("\xef\xbb\xbf#EXTM3U\n#EXTINF:0,1 A\nu"),
            QByteArray("1 A|vlc:u|0|-1"));
        zv::test::row(
            "bom, no header", QByteArray("\xef\xbb\xbf#EXTINF:0,1 A\r\nu\r\n"), QByteArray("1 A|vlc:u|0|-1"));
        zv::test::row("empty", QByteArray(), QByteArray());
        zv::test::row("mixed case tag", QByteArray("#ExtInf:10,9 Neuf\nu"), QByteArray("9 Neuf|vlc:u|0|-1"));
    }
    void m3u()
    {
        QFETCH(QByteArray, body);
        QTEST(dump(zv::ParseM3uBouquet(body)), "rows");
    }

    void m3uLargeBouquet()
    {
        // 100,000 radios with their options, read in one pass.
        QByteArray body = "#EXTM3U\r\n";
        const int n = 100000;
        for (int i = 0; i < n; ++i)
            body += "#EXTINF:0," + QByteArray::number(i) + " - Radio\r\n#EXTVLCOPT:no-video\r\nrtsp://box/"
                + QByteArray::number(i) + "\r\n";
        const auto rows = zv::ParseM3uBouquet(body);
        QCOMPARE(rows.size(), size_t(n));
        QCOMPARE(rows.back().url, QByteArray("vlc:rtsp://box/99999"));
    }

    void m3uTitleCut()
    {
        const QByteArray title = "#EXTINF:0,1" + QByteArray(5000, 't');
        const auto rows = zv::ParseM3uBouquet(title + "\nu");
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].caption.size(), 1000 - 2); // 1000 characters after the tag, minus "0,"
    }

    void tableOutlivesItsAnswer()
    {
        // The rows are slices of the answer: the table keeps it alive, and
        // lists appended after one another keep their own.
        zv::ChannelTable table
            = zv::ReadChannelRecords(QByteArray("[fr]Un@@u1##7||Deux [be]x@@u2"), ChannelIcons::Tele);
        table.append(zv::ReadM3uBouquet(QByteArray("#EXTINF:0,3 T\xc3\xa9l\xc3\xa9\nu3")));
        table.append(zv::ReadM3uBouquet(QByteArray()));
        QCOMPARE(table.size(), size_t(3));
        QCOMPARE(dump({table.begin(), table.end()}),
            QByteArray("Un|u1|7|12\nDeux x|u2|0|6\n3 T\xe9l\xe9|vlc:u3|0|-1"));
        QCOMPARE(table.caption(2), QByteArray("3 T\xe9l\xe9"));
        QCOMPARE(table[1].imageIndex, 6);
    }
};

QTEST_APPLESS_MAIN(TestCanaux)
#include "tst_canaux.moc"
