#include "support/table.h"
#include "ui/player/enginechoice.h"

#include <QTest>

Q_DECLARE_METATYPE(EngineKind)

class TestEngineChoice : public QObject {
    Q_OBJECT
private slots:
    void choose_data();
    void choose();
    void wholeAddresses_data();
    void wholeAddresses();
};

void TestEngineChoice::choose_data()
{
    zv::test::columns<QString, EngineKind, QString>("url", "engine", "rest");

    const auto W = EngineKind::WindowsMedia;
    const auto R = EngineKind::RealPlayer;
    const auto V = EngineKind::Vlc;
    zv::test::row("plain stream", "mms://tv.example/live", W, "mms://tv.example/live");
    zv::test::row("empty", "", W, "");
    zv::test::row(".mp4 to VLC", "http://h/clip.mp4", V, "http://h/clip.mp4");
    zv::test::row(".flv to VLC", "http://h/clip.flv", V, "http://h/clip.flv");
    zv::test::row(".rm to RealPlayer", "http://h/clip.rm", R, "http://h/clip.rm");
    zv::test::row(".RM is not .rm", "http://h/clip.RM", W, "http://h/clip.RM");
    zv::test::row(".MP4 is not .mp4", "http://h/clip.MP4", W, "http://h/clip.MP4");
    zv::test::row(".ram holds .ra", "http://h/v.flv?f=a.ram", R, "http://h/v.flv?f=a.ram");
    zv::test::row("extension anywhere", "http://h/a.smil/x.asx", R, "http://h/a.smil/x.asx");
    zv::test::row(".rmvb holds .rm", "http://h/a.rmvb", R, "http://h/a.rmvb");
    zv::test::row("both tables: RealPlayer last", "http://h/a.mp4.amr", R, "http://h/a.mp4.amr");
    zv::test::row("vlc prefix", "vlc:http://h/radio.mp3", V, "http://h/radio.mp3");
    zv::test::row("vlc prefix over .rm", "vlc:http://h/a.rm", V, "http://h/a.rm");
    zv::test::row("ra prefix over .mp4", "ra:http://h/a.mp4", R, "http://h/a.mp4");
    zv::test::row("wmp prefix over .rm", "wmp:http://h/a.rm", W, "http://h/a.rm");
    zv::test::row("vlc then ra", "vlc:ra:http://h/a.asf", R, "http://h/a.asf");
    zv::test::row("vlc, ra, wmp", "vlc:ra:wmp:http://h/a.mp4", W, "http://h/a.mp4");
    zv::test::row("ra then vlc: vlc stays", "ra:vlc:http://h/a", R, "vlc:http://h/a");
    zv::test::row("prefix is case-sensitive", "VLC:http://h/a.mp3", W, "VLC:http://h/a.mp3");
    zv::test::row("prefix only", "vlc:", V, "");
    zv::test::row("prefix not at start", "http://h/vlc:a", W, "http://h/vlc:a");

    const QString longRest = QString(1500, QLatin1Char('x'));
    zv::test::row("cut to 1000 after vlc:", "vlc:" + longRest, V, QString(1000, QLatin1Char('x')));
    zv::test::row("cut to 1000 after ra:", "ra:" + longRest, R, QString(1000, QLatin1Char('x')));
    zv::test::row("cut to 1000 after wmp:", "wmp:" + longRest, W, QString(1000, QLatin1Char('x')));
    zv::test::row(
        "exactly 1000 kept", "wmp:" + QString(1000, QLatin1Char('y')), W, QString(1000, QLatin1Char('y')));
    zv::test::row("no prefix: never cut", longRest, W, longRest);
}

void TestEngineChoice::choose()
{
    QFETCH(QString, url);
    QFETCH(EngineKind, engine);
    QFETCH(QString, rest);
    const EngineChoice choice = ChooseEngine(url);
    QCOMPARE(choice.engine, engine);
    QCOMPARE(choice.url, rest);
}

// Own lists' addresses (signed tokens of thousands of characters) are kept
// whole after a prefix; the engine is chosen as for the portal's.
void TestEngineChoice::wholeAddresses_data()
{
    zv::test::columns<QString, EngineKind, QString>("url", "engine", "rest");
    const QString token = QStringLiteral("http://h/live.m3u8?t=") + QString(2500, QLatin1Char('k'));
    zv::test::row("vlc prefix", "vlc:" + token, EngineKind::Vlc, token);
    zv::test::row("ra then wmp", "ra:wmp:" + token, EngineKind::WindowsMedia, token);
    zv::test::row("no prefix", token, EngineKind::WindowsMedia, token);
    zv::test::row("extension still chooses", token + ".mp4", EngineKind::Vlc, token + ".mp4");
}

void TestEngineChoice::wholeAddresses()
{
    QFETCH(QString, url);
    QFETCH(EngineKind, engine);
    QFETCH(QString, rest);
    const EngineChoice choice = ChooseEngine(url, AddressLength::Whole);
    QCOMPARE(choice.engine, engine);
    QCOMPARE(choice.url, rest);
}

QTEST_APPLESS_MAIN(TestEngineChoice)
#include "tst_enginechoice.moc"
