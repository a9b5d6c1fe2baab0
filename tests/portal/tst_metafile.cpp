// Playlist metafiles: their entries in order, and the first one a player can open.
#include "portal/metafile.h"
#include "support/table.h"

#include <QTest>

class TestMetafile : public QObject {
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
};

void TestMetafile::entries_data()
{
    // `entries`: as written, joined by '|'; `first`: the first playable one,
    // resolved against `base`, empty for none.
    zv::test::columns<QByteArray, QString, QByteArray, QString>("bytes", "base", "entries", "first");
    const QString web = QStringLiteral("http://h/live/tv.asx");
    const QString local = QStringLiteral("file:///media/listes/a.m3u");

    zv::test::row("ram: lines, comments, stop",
        QByteArray("# Radio\r\n\r\nrtsp://h/a.rm\r\nhttp://h/b.rm\r\n--stop--\r\nhttp://h/c.rm\r\n"), web,
        QByteArray("rtsp://h/a.rm|http://h/b.rm"), "rtsp://h/a.rm");
    zv::test::row("ram: pnm with a title", QByteArray("pnm://h:7070/x.ra?title=Un%20titre\n"), web,
        QByteArray("pnm://h:7070/x.ra?title=Un%20titre"), "pnm://h:7070/x.ra?title=Un%20titre");
    zv::test::row("m3u: extended, relative",
        QByteArray("\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,Un\nun.mp3\n/deux.mp3\n"), web,
        QByteArray("un.mp3|/deux.mp3"), "http://h/live/un.mp3");
    zv::test::row("m3u local: relative and absolute paths", QByteArray("sons/un.mp3\n/tmp/deux.mp3\n"), local,
        QByteArray("sons/un.mp3|/tmp/deux.mp3"), "file:///media/listes/sons/un.mp3");
    zv::test::row("m3u: spaces and accents kept as bytes", QByteArray("http://h/mon son\xC3\xA9.mp3\n"), web,
        QByteArray("http://h/mon son\xC3\xA9.mp3"), "http://h/mon%20son%C3%A9.mp3");
    zv::test::row("asx: entries, other links left out",
        QByteArray("<ASX version=\"3.0\">\n<Title>TV</Title><MoreInfo href=\"http://h/info\"/>\n"
                   "<!-- <ref href=\"http://h/old.wmv\"/> -->\n"
                   "<Entry><Logo HREF=\"http://h/l.png\"/><REF HREF = 'mms://h/a.wmv' />"
                   "<Ref href=\"http://h/a.wmv\"/></Entry>\n<entry><ref href=http://h/b.wmv></entry></ASX>"),
        web, QByteArray("mms://h/a.wmv|http://h/a.wmv|http://h/b.wmv"), "mms://h/a.wmv");
    zv::test::row("asx: entryref and escapes",
        QByteArray("<asx version=\"3.0\"><entryref href=\"autre.asx?a=1&amp;b=2\"/></asx>"), web,
        QByteArray("autre.asx?a=1&b=2"), "http://h/live/autre.asx?a=1&b=2");
    zv::test::row("asx: cut in a tag", QByteArray("<asx><entry><ref href=\"http://h/a.wmv"), web,
        QByteArray("http://h/a.wmv"), "http://h/a.wmv");
    zv::test::row("asx v2: references",
        QByteArray(
            "[Reference]\r\nRef1=http://h/a.asf?MSWMExt=.asf\r\nRef2=mms://h/a.asf\r\nBandwidth=1\r\n"),
        web, QByteArray("http://h/a.asf?MSWMExt=.asf|mms://h/a.asf"), "http://h/a.asf?MSWMExt=.asf");
    zv::test::row("unplayable entries skipped",
        QByteArray("javascript:alert(1)\nC:\\Musique\\a.mp3\nhttp:///sans-hote\nhttp://h/ok.mp3\n"), web,
        QByteArray("javascript:alert(1)|C:\\Musique\\a.mp3|http:///sans-hote|http://h/ok.mp3"),
        "http://h/ok.mp3");
    zv::test::row("a list from the network names no local file", QByteArray("file:///etc/passwd\n"), web,
        QByteArray("file:///etc/passwd"), QString());
    zv::test::row("a local list may", QByteArray("file:///tmp/a.mp3\n"), local,
        QByteArray("file:///tmp/a.mp3"), "file:///tmp/a.mp3");
    zv::test::row("empty", QByteArray(), web, QByteArray(), QString());
    zv::test::row("html page", QByteArray("<html><body><a href=\"http://h/a.mp3\">x</a></body></html>"), web,
        QByteArray(), QString());
    const QByteArray binary("\0\x01\xFF<\x02ref", 8);
    zv::test::row("binary: no address in it", binary, web, binary, QString());
}

void TestMetafile::entries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, base);
    QFETCH(QByteArray, entries);
    QFETCH(QString, first);
    const auto got = zv::MetafileEntries(bytes);
    QCOMPARE(QByteArrayList(got.begin(), got.end()).join('|'), entries);
    QCOMPARE(zv::FirstPlayableEntry(bytes, QUrl(base)).toString(QUrl::FullyEncoded), first);
}

QTEST_APPLESS_MAIN(TestMetafile)
#include "tst_metafile.moc"
