// The channel list readers: the portal's record lists and the M3U bouquets.
#include "portal/canaux.h"

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
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("empty") << QByteArray() << QByteArrayList{};
        QTest::newRow("one") << QByteArray("a") << QByteArrayList{"a"};
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
        QTest::newRow("lf") << QByteArray("a\nb") << QByteArrayList{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb") << QByteArrayList{"a", "b"};
        QTest::newRow("blank lines") << QByteArray("\n\na\n") << QByteArrayList{"", "", "a"};
        QTest::newRow("lf cr is two breaks") << QByteArray("a\n\rb") << QByteArrayList{"a", "", "b"};
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
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<QByteArray>("token");
        QTest::newRow("leading") << QByteArray("[fr]TF1") << QByteArray("TF1") << QByteArray("fr");
        QTest::newRow("spaces stay") << QByteArray("Radio [be] Une") << QByteArray("Radio  Une")
                                     << QByteArray("be");
        QTest::newRow("none") << QByteArray("Arte") << QByteArray("Arte") << QByteArray();
        QTest::newRow("closing first") << QByteArray("a]b[c") << QByteArray("a]b[c") << QByteArray();
        QTest::newRow("only opening") << QByteArray("[fr TF1") << QByteArray("[fr TF1") << QByteArray();
        QTest::newRow("empty token") << QByteArray("[]M6") << QByteArray("M6") << QByteArray();
        QTest::newRow("first pair only") << QByteArray("[a][b]x") << QByteArray("[b]x") << QByteArray("a");
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
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<ChannelIcons>("icons");
        QTest::addColumn<QByteArray>("rows");
        const auto tele = ChannelIcons::Tele;
        QTest::newRow("example") << QByteArray("[fr]France 24@@mms://tv.example/f24##42") << tele
                                 << QByteArray("France 24|mms://tv.example/f24|42|12");
        QTest::newRow("upper key") << QByteArray("[FR]TF1@@u") << tele << QByteArray("TF1|u|0|12");
        QTest::newRow("unknown key") << QByteArray("[xx]Chaine@@u") << tele << QByteArray("Chaine|u|0|-1");
        QTest::newRow("empty key") << QByteArray("[]Chaine@@u") << tele << QByteArray("Chaine|u|0|-1");
        QTest::newRow("no key") << QByteArray("Chaine@@u") << tele << QByteArray("Chaine|u|0|-1");
        QTest::newRow("badge") << QByteArray("[new]Clip@@c.wmv##7") << ChannelIcons::Video
                               << QByteArray("Clip|c.wmv|7|0");
        QTest::newRow("flag key in clip list")
            << QByteArray("[fr]Clip@@c") << ChannelIcons::Video << QByteArray("Clip|c|0|-1");
        QTest::newRow("no icons") << QByteArray("[fr]A@@u") << ChannelIcons::None << QByteArray("A|u|0|-1");
        QTest::newRow("pipes") << QByteArray("A@@a||B@@b##2") << tele << QByteArray("A|a|0|-1\nB|b|2|-1");
        QTest::newRow("crlf") << QByteArray("A@@a\r\nB@@b\r\n") << tele << QByteArray("A|a|0|-1\nB|b|0|-1");
        QTest::newRow("lf") << QByteArray("A@@a\nB@@b") << tele << QByteArray("A|a|0|-1\nB|b|0|-1");
        QTest::newRow("mixed") << QByteArray("A@@a||B@@b\nC@@c") << tele
                               << QByteArray("A|a|0|-1\nB|b|0|-1\nC|c|0|-1");
        QTest::newRow("three pipes") << QByteArray("A@@a|||B@@b") << tele
                                     << QByteArray("A|a|0|-1\n|B|b|0|-1");
        QTest::newRow("pipes then lf")
            << QByteArray("A@@a||\nB@@b") << tele << QByteArray("A|a|0|-1\n||0|-1\nB|b|0|-1");
        QTest::newRow("cr then pipes")
            << QByteArray("A@@a\r||B@@b") << tele << QByteArray("A|a|0|-1\n||0|-1\nB|b|0|-1");
        QTest::newRow("trailing pipes") << QByteArray("A@@a||") << tele << QByteArray("A|a|0|-1");
        QTest::newRow("lone pipe") << QByteArray("A@@a|b") << tele << QByteArray("A|a|b|0|-1");
        QTest::newRow("empty body") << QByteArray() << tele << QByteArray();
        QTest::newRow("no marker") << QByteArray("Chaine sans adresse") << tele
                                   << QByteArray("|haine sans adresse|0|-1");
        QTest::newRow("empty record")
            << QByteArray("A@@a||||B@@b") << tele << QByteArray("A|a|0|-1\n||0|-1\nB|b|0|-1");
        QTest::newRow("id not a number") << QByteArray("A@@u##abc") << tele << QByteArray("A|u|0|-1");
        QTest::newRow("id with text after") << QByteArray("A@@u##12x") << tele << QByteArray("A|u|0|-1");
        QTest::newRow("empty id") << QByteArray("A@@u##") << tele << QByteArray("A|u|0|-1");
        QTest::newRow("negative id") << QByteArray("A@@u##-5") << tele << QByteArray("A|u|-5|-1");
        QTest::newRow("id of ten digits read")
            << QByteArray("A@@u##1234567890") << tele << QByteArray("A|u|1234567890|-1");
        // Only ten characters are read: the eleventh digit is dropped.
        QTest::newRow("id cut to ten")
            << QByteArray("A@@u##12345678901") << tele << QByteArray("A|u|1234567890|-1");
        QTest::newRow("id beyond 32 bits")
            << QByteArray("A@@u##9999999999") << tele << QByteArray("A|u|0|-1");
        QTest::newRow("two hash pairs") << QByteArray("A@@u##5##6") << tele << QByteArray("A|u|0|-1");
        QTest::newRow("two hash pairs, number first")
            << QByteArray("A@@u##56##") << tele << QByteArray("A|u|0|-1");
        QTest::newRow("address keeps prefix")
            << QByteArray("A@@vlc:http://x/y.ts") << tele << QByteArray("A|vlc:http://x/y.ts|0|-1");
        QTest::newRow("second @@ stays in address")
            << QByteArray("A@@u@@v") << tele << QByteArray("A|u@@v|0|-1");
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
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("lower-case tag, digit title") << QByteArray("#extinf:0,2 - France 2\nrtsp://box/f2")
                                                     << QByteArray("2 - France 2|vlc:rtsp://box/f2|0|-1");
        QTest::newRow("crlf") << QByteArray(
            "#EXTM3U\r\n#EXTINF:0,201 - TF1\r\nrtsp://a\r\n#EXTINF:0,202 - M6\r\nrtsp://b\r\n")
                              << QByteArray("201 - TF1|vlc:rtsp://a|0|-1\n202 - M6|vlc:rtsp://b|0|-1");
        QTest::newRow("duration -1") << QByteArray("#EXTINF:-1,2 - France 2\nrtsp://x") << QByteArray();
        QTest::newRow("letter title") << QByteArray("#EXTINF:0,France 2\nrtsp://x") << QByteArray();
        QTest::newRow("no comma") << QByteArray("#EXTINF:0 2\nrtsp://x") << QByteArray();
        QTest::newRow("empty after tag") << QByteArray("#EXTINF:\nrtsp://x") << QByteArray();
        QTest::newRow("empty line after title")
            << QByteArray("#EXTINF:0,3 Arte\n\nrtsp://x") << QByteArray("3 Arte|vlc:|0|-1");
        QTest::newRow("comment clears")
            << QByteArray("#EXTINF:0,3 Arte\n# Arte HD\nrtsp://x") << QByteArray();
        QTest::newRow("other tag clears")
            << QByteArray("#EXTINF:0,3 Arte\n#EXTGRP:TNT\nrtsp://x") << QByteArray();
        // An operator's radio: an option line between the title and its address.
        QTest::newRow("vlc option keeps the title")
            << QByteArray("#EXTM3U\r\n#EXTINF:0,100001 - Radio Nova\r\n#EXTVLCOPT:no-video\r\n"
                          "rtsp://mafreebox.freebox.fr/fbxtv_pub/stream?namespace=1&service=100001\r\n")
            << QByteArray("100001 - Radio Nova|vlc:rtsp://mafreebox.freebox.fr/fbxtv_pub/"
                          "stream?namespace=1&service=100001|0|-1");
        QTest::newRow("several options, any case")
            << QByteArray("#EXTINF:0,5 A\n#extvlcopt:network-caching=1000\n#EXTVLCOPT:http-user-agent=VLC\nu")
            << QByteArray("5 A|vlc:u|0|-1");
        QTest::newRow("option then empty line")
            << QByteArray("#EXTINF:0,5 A\n#EXTVLCOPT:x\n\nu") << QByteArray("5 A|vlc:|0|-1");
        QTest::newRow("option alone") << QByteArray("#EXTVLCOPT:no-video\nu") << QByteArray();
        QTest::newRow("generic iptv line")
            << QByteArray("#EXTM3U\r\n#EXTINF:-1 tvg-id=\"France2.fr\" tvg-logo=\"http://l/f2.png\" "
                          "group-title=\"TNT\",France 2\r\nhttp://iptv.example/f2.m3u8\r\n")
            << QByteArray();
        QTest::newRow("lone address") << QByteArray("rtsp://x\nrtsp://y") << QByteArray();
        QTest::newRow("lone title") << QByteArray("#EXTINF:0,3 Arte") << QByteArray();
        QTest::newRow("address used once")
            << QByteArray("#EXTINF:0,3 Arte\nrtsp://x\nrtsp://y") << QByteArray("3 Arte|vlc:rtsp://x|0|-1");
        QTest::newRow("later title wins")
            << QByteArray("#EXTINF:0,1 A\n#EXTINF:0,2 B\nu") << QByteArray("2 B|vlc:u|0|-1");
        QTest::newRow("bad title keeps pending")
            << QByteArray("#EXTINF:0,1 A\n#EXTINF:0,B\nu") << QByteArray("1 A|vlc:u|0|-1");
        QTest::newRow("utf-8 repaired")
            << QByteArray("#EXTINF:0,5 T\xc3\xa9l\xc3\xa9\nu") << QByteArray("5 T\xe9l\xe9|vlc:u|0|-1");
        QTest::newRow("bom on first line")
            << QByteArray("\xef\xbb\xbf#EXTM3U\n#EXTINF:0,1 A\nu") << QByteArray("1 A|vlc:u|0|-1");
        QTest::newRow("bom, no header")
            << QByteArray("\xef\xbb\xbf#EXTINF:0,1 A\r\nu\r\n") << QByteArray("1 A|vlc:u|0|-1");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("mixed case tag")
            << QByteArray("#ExtInf:10,9 Neuf\nu") << QByteArray("9 Neuf|vlc:u|0|-1");
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
};

QTEST_APPLESS_MAIN(TestCanaux)
#include "tst_canaux.moc"
