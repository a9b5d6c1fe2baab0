// The French status texts for the engines' own error details, on details the
// three libraries really send.
#include "statustexts.h"
#include "ui/player/playererror.h"

#include <QTest>

class TestPlayerError : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
};

void TestPlayerError::text_data()
{
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("text");
    using namespace statustext;

    // GStreamer, through Qt Multimedia
    QTest::newRow("gst missing plug-in") << "Your GStreamer installation is missing a plug-in." << format;
    QTest::newRow("gst vague, then precise")
        << "Internal data stream error.\nYour GStreamer installation is missing a plug-in." << format;
    QTest::newRow("gst typefind") << "Could not determine type of stream." << format;
    QTest::newRow("gst text file") << "This appears to be a text file." << format;
    QTest::newRow("gst file missing") << "Resource not found." << missing;
    QTest::newRow("gst path missing") << "Could not open file \"/x/a.wmv\" for reading." << missing;
    QTest::newRow("gst 404") << "Not Found" << missing;
    QTest::newRow("gst 403") << "Forbidden" << QStringLiteral("Accès au média refusé.");
    QTest::newRow("gst sink") << "Could not open audio device for playback. Connection refused" << noSound;
    QTest::newRow("gst vague only") << "Internal data stream error.\nStream doesn't contain enough data."
                                    << generic;
    // libmpv: its last log lines, then its error code
    QTest::newRow("mpv 404")
        << "http: HTTP error 404 File not found\nFailed to open http://h/a.rm.\nloading failed" << missing;
    QTest::newRow("mpv refused") << "tcp: Connection refused\nloading failed" << unreachable;
    QTest::newRow("mpv no sound") << "audio output initialization failed" << noSound;
    QTest::newRow("mpv nothing in it") << "no audio or video data played" << empty;
    QTest::newRow("mpv unknown format") << "Failed to recognize file format.\nunknown format" << format;
    QTest::newRow("mpv loading failed alone") << "loading failed" << generic;
    // libVLC: its last warnings
    QTest::newRow("vlc 404") << "HTTP 404 error" << missing;
    QTest::newRow("libsoup 2.4 refused") << "Could not establish connection to server." << unreachable;
    QTest::newRow("vlc refused") << "cannot connect to 127.0.0.1 port 1: Connection refused" << unreachable;
    QTest::newRow("vlc demux") << "unidentified format\nno suitable demux module for `http/http://h/a'"
                               << format;
    QTest::newRow("vlc codec") << "Codec `WMV3' (Windows Media Video 9) is not supported." << format;
    // Qt's socket errors, and the time-outs of all
    QTest::newRow("host not found") << "Host not found" << unreachable;
    QTest::newRow("name not known") << "Failed to resolve 'x.invalid': Name or service not known"
                                    << unreachable;
    QTest::newRow("time-out before connection") << "Connection timed out" << late;
    QTest::newRow("time-out") << "Socket operation timed out" << late;
    // No cause named: the detail stays, on one line, short, with one stop.
    QTest::newRow("empty") << "" << generic;
    QTest::newRow("blank lines") << "\n \n" << generic;
    QTest::newRow("unknown kept") << "Something odd happened..."
                                  << "Impossible de lire le média : Something odd happened.";
    QTest::newRow("unknown on two lines") << "loading failed\nOdd  \t thing."
                                          << "Impossible de lire le média : Odd thing.";
    QTest::newRow("unknown, long") << QString(500, QLatin1Char('x'))
                                   << "Impossible de lire le média : " + QString(159, QLatin1Char('x'))
            + QChar(0x2026) + '.';
}

void TestPlayerError::text()
{
    QFETCH(QString, detail);
    QFETCH(QString, text);
    QCOMPARE(PlayerErrorText(detail), text);
}

QTEST_APPLESS_MAIN(TestPlayerError)
#include "tst_playererror.moc"
