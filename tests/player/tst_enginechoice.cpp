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
    QTest::addColumn<QString>("url");
    QTest::addColumn<EngineKind>("engine");
    QTest::addColumn<QString>("rest");

    const auto W = EngineKind::WindowsMedia;
    const auto R = EngineKind::RealPlayer;
    const auto V = EngineKind::Vlc;
    QTest::newRow("plain stream") << "mms://tv.example/live" << W << "mms://tv.example/live";
    QTest::newRow("empty") << "" << W << "";
    QTest::newRow(".mp4 to VLC") << "http://h/clip.mp4" << V << "http://h/clip.mp4";
    QTest::newRow(".flv to VLC") << "http://h/clip.flv" << V << "http://h/clip.flv";
    QTest::newRow(".rm to RealPlayer") << "http://h/clip.rm" << R << "http://h/clip.rm";
    QTest::newRow(".RM is not .rm") << "http://h/clip.RM" << W << "http://h/clip.RM";
    QTest::newRow(".MP4 is not .mp4") << "http://h/clip.MP4" << W << "http://h/clip.MP4";
    QTest::newRow(".ram holds .ra") << "http://h/v.flv?f=a.ram" << R << "http://h/v.flv?f=a.ram";
    QTest::newRow("extension anywhere") << "http://h/a.smil/x.asx" << R << "http://h/a.smil/x.asx";
    QTest::newRow(".rmvb holds .rm") << "http://h/a.rmvb" << R << "http://h/a.rmvb";
    QTest::newRow("both tables: RealPlayer last") << "http://h/a.mp4.amr" << R << "http://h/a.mp4.amr";
    QTest::newRow("vlc prefix") << "vlc:http://h/radio.mp3" << V << "http://h/radio.mp3";
    QTest::newRow("vlc prefix over .rm") << "vlc:http://h/a.rm" << V << "http://h/a.rm";
    QTest::newRow("ra prefix over .mp4") << "ra:http://h/a.mp4" << R << "http://h/a.mp4";
    QTest::newRow("wmp prefix over .rm") << "wmp:http://h/a.rm" << W << "http://h/a.rm";
    QTest::newRow("vlc then ra") << "vlc:ra:http://h/a.asf" << R << "http://h/a.asf";
    QTest::newRow("vlc, ra, wmp") << "vlc:ra:wmp:http://h/a.mp4" << W << "http://h/a.mp4";
    QTest::newRow("ra then vlc: vlc stays") << "ra:vlc:http://h/a" << R << "vlc:http://h/a";
    QTest::newRow("prefix is case-sensitive") << "VLC:http://h/a.mp3" << W << "VLC:http://h/a.mp3";
    QTest::newRow("prefix only") << "vlc:" << V << "";
    QTest::newRow("prefix not at start") << "http://h/vlc:a" << W << "http://h/vlc:a";

    const QString longRest = QString(1500, QLatin1Char('x'));
    QTest::newRow("cut to 1000 after vlc:") << "vlc:" + longRest << V << QString(1000, QLatin1Char('x'));
    QTest::newRow("cut to 1000 after ra:") << "ra:" + longRest << R << QString(1000, QLatin1Char('x'));
    QTest::newRow("cut to 1000 after wmp:") << "wmp:" + longRest << W << QString(1000, QLatin1Char('x'));
    QTest::newRow("exactly 1000 kept")
        << "wmp:" + QString(1000, QLatin1Char('y')) << W << QString(1000, QLatin1Char('y'));
    QTest::newRow("no prefix: never cut") << longRest << W << longRest;
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
    QTest::addColumn<QString>("url");
    QTest::addColumn<EngineKind>("engine");
    QTest::addColumn<QString>("rest");
    const QString token = QStringLiteral("http://h/live.m3u8?t=") + QString(2500, QLatin1Char('k'));
    QTest::newRow("vlc prefix") << "vlc:" + token << EngineKind::Vlc << token;
    QTest::newRow("ra then wmp") << "ra:wmp:" + token << EngineKind::WindowsMedia << token;
    QTest::newRow("no prefix") << token << EngineKind::WindowsMedia << token;
    QTest::newRow("extension still chooses") << token + ".mp4" << EngineKind::Vlc << token + ".mp4";
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
