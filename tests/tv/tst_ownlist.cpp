// The reader of the user's own M3U lists, on the shapes providers and
// playlist tools write, and finding remembered rows again after a refresh.
#include "portal/tv/ownlist.h"
#include "portal/tv/rowfilter.h"
#include "support/table.h"

#include <QTest>

namespace {

// One row as "title|address|group|tvg-id|tvg-name|logo|option;option".
QStringList rowsOf(const zv::OwnList& list)
{
    QStringList out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const zv::OwnListRow r = list[i];
        out += QStringList{r.title, r.url, r.group, r.tvgId, r.tvgName, r.logo, r.options.join(u';')}.join(
            u'|');
    }
    return out;
}

} // namespace

class TestOwnList : public QObject {
    Q_OBJECT

private slots:
    void read_data()
    {
        // error: part of the message, empty when read
        zv::test::columns<QByteArray, QStringList, QStringList, QString>("body", "rows", "guides", "error");

        static const char16_t utf16[] = u"#EXTINF:-1,Été\nhttp://u\n";
        const QByteArray longAddress
            = "http://cdn.example/live/" + QByteArray(2500, 'a') + ".m3u8?token=" + QByteArray(100, 'z');

        zv::test::row("provider list",
            QByteArray("#EXTM3U url-tvg=\"http://epg.example/guide.xml.gz\"\n"
                       "#EXTINF:-1 tvg-id=\"TF1.fr\" tvg-name=\"TF1\" tvg-logo=\"http://l.example/tf1.png\" "
                       "group-title=\"G\xc3\xa9n\xc3\xa9raliste\",TF1 HD\n"
                       "http://s.example:8080/u/p/1\n"),
            QStringList{"TF1 "
                        "HD|http://s.example:8080/u/p/1|Généraliste|TF1.fr|TF1|http://l.example/tf1.png|"},
            QStringList{"http://epg.example/guide.xml.gz"}, QString());
        zv::test::row("commas and quotes inside values",
            QByteArray(
                "#EXTINF:-1 group-title=\"News, Sport\" tvg-name=\"Le \"Direct\"\",Le Direct, en continu\n"
                "http://a\n"),
            QStringList{"Le Direct, en continu|http://a|News, Sport||Le \"Direct\"||"}, QStringList(),
            QString());
        zv::test::row("doubled and empty quotes",
            QByteArray("#EXTINF:-1 tvg-name=\"\"TF1\"\" tvg-logo=\"\" group-title=\"A\"\"B\",T\nhttp://a\n"),
            QStringList{"T|http://a|A\"B||TF1||"}, QStringList(), QString());
        zv::test::row("missing quotes",
            QByteArray("#EXTINF:-1 tvg-id=TF1.fr tvg-name=TF1 HD group-title=News,TF1\nhttp://a\n"
                       "#EXTINF:-1 tvg-name=Arte\" tvg-id='arte.fr',Arte\nhttp://b\n"),
            QStringList{"TF1|http://a|News|TF1.fr|TF1 HD||", "Arte|http://b||arte.fr|Arte||"}, QStringList(),
            QString());
        zv::test::row("quote never closed: value up to the comma",
            QByteArray("#EXTINF:-1 tvg-name=\"TF1,TF1 HD\nhttp://a\n"),
            QStringList{"TF1 HD|http://a|||TF1||"}, QStringList(), QString());
        zv::test::row("attributes without a title",
            QByteArray("#EXTINF:-1 tvg-name=\"Arte\" tvg-id=\"arte.fr\"\nhttp://a\n#EXTINF:-1 "
                       "tvg-id=\"x\",\nhttp://b\n"),
            QStringList{"Arte|http://a||arte.fr|Arte||", "http://b|http://b||x|||"}, QStringList(),
            QString());
        zv::test::row("any duration, title with commas",
            QByteArray("#EXTINF:3600.5 tvg-id=\"x\",A\nhttp://a\n#extinf: -1 ,B, le direct\nhttp://b\n"
                       "#EXTINF:,C\nhttp://c\n#EXTINF:D\nhttp://d\n"),
            QStringList{"A|http://a||x|||", "B, le direct|http://b|||||", "C|http://c|||||",
                "http://d|http://d|||||"},
            QStringList(), QString());
        zv::test::row("group line and VLC options kept with their entry",
            QByteArray(
                "#EXTINF:-1,A\n#EXTGRP:Sport\n#EXTVLCOPT:http-user-agent=Mozilla/5.0\n"
                "#EXTVLCOPT:network-caching=1000\nhttp://a\n"
                "#EXTGRP:Sport\n#EXTINF:-1 group-title=\"Info\",B\nhttp://b\n#EXTINF:-1,C\nhttp://c\n"),
            QStringList{"A|http://a|Sport||||http-user-agent=Mozilla/5.0;network-caching=1000",
                "B|http://b|Info||||", "C|http://c|||||"},
            QStringList(), QString());
        zv::test::row("no header, byte order mark, CR LF",
            QByteArray("\xEF\xBB\xBF#EXTINF:-1,M\xc3\xa9t\xc3\xa9o\r\nhttp://m\r\n"),
            QStringList{"Météo|http://m|||||"}, QStringList(), QString());
        zv::test::row("lists pasted together, each with its byte order mark",
            QByteArray(
                "\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,A\nhttp://a\n\xEF\xBB\xBF#EXTM3U x-tvg-url=\"http://g\"\n"
                "#EXTINF:-1,B\n\xEF\xBB\xBFhttp://b\n"),
            QStringList{"A|http://a|||||", "B|http://b|||||"}, QStringList{"http://g"}, QString());
        zv::test::row("Latin-1 and Windows-1252, mixed with UTF-8",
            QByteArray("#EXTINF:-1 group-title=\"Fran\xe7\x61is\",M\xe9t\xe9o \x80\nhttp://m\n"
                       "#EXTINF:-1,\xc3\x89t\xc3\xa9\nhttp://e\n"),
            QStringList{"Météo €|http://m|Français||||", "Été|http://e|||||"}, QStringList(), QString());
        zv::test::row("UTF-16 with its byte order mark",
            QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(utf16), sizeof utf16 - 2),
            QStringList{"Été|http://u|||||"}, QStringList(), QString());
        zv::test::row("blank, comment and separator lines",
            QByteArray("#EXTM3U\n\n#EXTINF:-1,A\n\n# un commentaire\n#-----------\n  http://a  \n\n"
                       "########## FRANCE ##########\n"),
            QStringList{"A|http://a|||||"}, QStringList(), QString());
        zv::test::row("address without #EXTINF, prefix and long address kept whole",
            "http://x/a.ts\n#EXTINF:-1,L\nvlc:" + longAddress + "\n",
            QStringList{
                "http://x/a.ts|http://x/a.ts|||||", "L|vlc:" + QString::fromLatin1(longAddress) + "|||||"},
            QStringList(), QString());
        zv::test::row("a title with no address is dropped",
            QByteArray("#EXTINF:-1,Perdu\n#EXTINF:-1,B\nhttp://b\n#EXTINF:-1,Fin\n"),
            QStringList{"B|http://b|||||"}, QStringList(), QString());
        zv::test::row("CR line ends, control characters",
            QByteArray("#EXTINF:-1,A\rhttp://a\r#EXTINF:-1,B\rhttp://\x01\x02zz\rhttp://c\r"),
            QStringList{"A|http://a|||||", "http://c|http://c|||||"}, QStringList(), QString());
        zv::test::row("guide addresses: several, once each",
            QByteArray("#EXTM3U x-tvg-url=\"http://a/1.xml, http://b/2.xml.gz\" url-tvg=\"http://a/1.xml\" "
                       "tvg-shift=1\n#EXTINF:-1,A\nhttp://a\n"),
            QStringList{"A|http://a|||||"}, QStringList{"http://a/1.xml", "http://b/2.xml.gz"}, QString());
        zv::test::row("web page", QByteArray("\n  <!DOCTYPE html><html><body>#EXTINF:-1,A\nhttp://a</body>"),
            QStringList(), QStringList(), "page web");
        zv::test::row("binary data", QByteArray("\x1f\x8b\x08\0\0\0\0\0\nhttp://a\n", 18), QStringList(),
            QStringList(), "binaires");
        zv::test::row("nothing to play", QByteArray("#EXTM3U\n#EXTINF:-1,A\n"), QStringList(), QStringList(),
            "aucune cha\u00eene");
        zv::test::row("empty", QByteArray(), QStringList(), QStringList(), "aucune cha\u00eene");
    }
    void read()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, guides);
        QFETCH(QString, error);
        const zv::OwnListReading reading = zv::ReadOwnList(body);
        QCOMPARE(rowsOf(reading.list), rows);
        QCOMPARE(reading.list.guideUrls(), guides);
        if (error.isEmpty())
            QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
        else
            QVERIFY2(reading.error.contains(error), qPrintable(reading.error));
    }

    void groups()
    {
        const zv::OwnList list = zv::ReadOwnList("#EXTINF:-1 group-title=\"Info\",A\nhttp://a\n"
                                                 "#EXTINF:-1,B\nhttp://b\n"
                                                 "#EXTINF:-1 group-title=\"Sport\",C\nhttp://c\n"
                                                 "#EXTINF:-1 group-title=\"Info\",D\nhttp://d\n")
                                     .list;
        QCOMPARE(list.groupCount(), 2);
        QCOMPARE(list.groupName(0), "Info");
        QCOMPARE(list.groupName(1), "Sport");
        QCOMPARE(list.groupName(2), QString());
        QCOMPARE((std::vector<int>{list.group(0), list.group(1), list.group(2), list.group(3)}),
            (std::vector<int>{0, -1, 1, 0}));
        // The search field finds rows by title and by group, never across both.
        const auto index = list.searchIndex();
        QCOMPARE(index->size(), std::size_t(4));
        zv::RowFilter filter(index);
        filter.setQuery(u"info");
        filter.finish();
        QCOMPARE(filter.rows(), (std::vector<std::uint32_t>{0, 3}));
        filter.setQuery(u"ainfo");
        filter.finish();
        QVERIFY(filter.rows().empty());
    }

    // A refreshed list: the provider renamed, moved and re-addressed channels.
    void locate_data()
    {
        // row: -1: gone
        zv::test::columns<QString, QString, QString, int>("url", "tvgId", "name", "row");

        zv::test::row("same address, new name", "http://s/2", "", "Ancien nom", 1);
        zv::test::row("new address, same tvg-id", "http://old/1", "tf1.fr", "TF1", 0);
        zv::test::row("address wins over tvg-id", "http://s/2", "tf1.fr", "", 1);
        zv::test::row("only the name is left", "http://old/3", "", "Arte", 2);
        zv::test::row("renamed with a quality suffix", "http://old/4", "", "FR: France 2", 3);
        zv::test::row("gone", "http://old/9", "gone.fr", "Disparue", -1);
        zv::test::row("duplicate address: the first row", "http://s/dup", "", "", 4);
    }
    void locate()
    {
        QFETCH(QString, url);
        QFETCH(QString, tvgId);
        QFETCH(QString, name);
        QFETCH(int, row);
        static const zv::OwnList list = zv::ReadOwnList("#EXTINF:-1 tvg-id=\"tf1.fr\",TF1 HD\nhttp://s/1\n"
                                                        "#EXTINF:-1,M6\nhttp://s/2\n"
                                                        "#EXTINF:-1,Arte\nhttp://s/3\n"
                                                        "#EXTINF:-1,France 2 FHD\nhttp://s/4\n"
                                                        "#EXTINF:-1,Dup A\nhttp://s/dup\n"
                                                        "#EXTINF:-1,Dup B\nhttp://s/dup\n")
                                            .list;
        const zv::RowIdentity identities[] = {{url, tvgId, name}, {"http://s/3", "", ""}};
        const auto found = list.locate(identities);
        QCOMPARE(found.size(), std::size_t(2));
        QCOMPARE(found[0] ? int(*found[0]) : -1, row);
        QCOMPARE(found[1], std::optional<std::size_t>(2));
    }
};

QTEST_GUILESS_MAIN(TestOwnList)
#include "tst_ownlist.moc"
