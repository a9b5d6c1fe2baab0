// The French status texts for the engines' own error details, on details the
// three libraries really send.
#include "statustexts.h"
#include "support/table.h"
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
    zv::test::columns<QString, QString>("detail", "text");
    using namespace statustext;

    // GStreamer, through Qt Multimedia
    zv::test::row("gst missing plug-in", "Your GStreamer installation is missing a plug-in.", format);
    zv::test::row("gst vague, then precise",
        "Internal data stream error.\nYour GStreamer installation is missing a plug-in.", format);
    zv::test::row("gst typefind", "Could not determine type of stream.", format);
    zv::test::row("gst text file", "This appears to be a text file.", format);
    zv::test::row("gst file missing", "Resource not found.", missing);
    zv::test::row("gst path missing", "Could not open file \"/x/a.wmv\" for reading.", missing);
    zv::test::row("gst 404", "Not Found", missing);
    zv::test::row("gst 403", "Forbidden", QStringLiteral("Accès au média refusé."));
    zv::test::row("gst sink", "Could not open audio device for playback. Connection refused", noSound);
    zv::test::row(
        "gst vague only", "Internal data stream error.\nStream doesn't contain enough data.", generic);
    // libmpv: its last log lines, then its error code
    zv::test::row("mpv 404",
        "http: HTTP error 404 File not found\nFailed to open http://h/a.rm.\nloading failed", missing);
    zv::test::row("mpv refused", "tcp: Connection refused\nloading failed", unreachable);
    zv::test::row("mpv no sound", "audio output initialization failed", noSound);
    zv::test::row("mpv nothing in it", "no audio or video data played", empty);
    zv::test::row("mpv unknown format", "Failed to recognize file format.\nunknown format", format);
    zv::test::row("mpv loading failed alone", "loading failed", generic);
    // libVLC: its last warnings
    zv::test::row("vlc 404", "HTTP 404 error", missing);
    zv::test::row("libsoup 2.4 refused", "Could not establish connection to server.", unreachable);
    zv::test::row("vlc refused", "cannot connect to 127.0.0.1 port 1: Connection refused", unreachable);
    zv::test::row("vlc demux", "unidentified format\nno suitable demux module for `http/http://h/a'", format);
    zv::test::row("vlc codec", "Codec `WMV3' (Windows Media Video 9) is not supported.", format);
    // Qt's socket errors, and the time-outs of all
    zv::test::row("host not found", "Host not found", unreachable);
    zv::test::row("name not known", "Failed to resolve 'x.invalid': Name or service not known", unreachable);
    zv::test::row("time-out before connection", "Connection timed out", late);
    zv::test::row("time-out", "Socket operation timed out", late);
    // No cause named: the detail stays, on one line, short, with one stop.
    zv::test::row("empty", "", generic);
    zv::test::row("blank lines", "\n \n", generic);
    zv::test::row(
        "unknown kept", "Something odd happened...", "Impossible de lire le média : Something odd happened.");
    zv::test::row(
        "unknown on two lines", "loading failed\nOdd  \t thing.", "Impossible de lire le média : Odd thing.");
    zv::test::row("unknown, long", QString(500, QLatin1Char('x')),
        "Impossible de lire le média : " + QString(159, QLatin1Char('x')) + QChar(0x2026) + '.');
}

void TestPlayerError::text()
{
    QFETCH(QString, detail);
    QFETCH(QString, text);
    QCOMPARE(PlayerErrorText(detail), text);
}

QTEST_APPLESS_MAIN(TestPlayerError)
#include "tst_playererror.moc"
