// The three real engines play ffmpeg-made files from a loopback server, with
// headless sound and picture; and each one's real start-up failure.
#include "base/errors.h"
#include "statustexts.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/player/cadplayer.h"
#include "ui/player/playererror.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// Sets an environment variable for one scope.
class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray& value)
        : name_(name)
        , old_(qgetenv(name))
        , had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvGuard()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

constexpr int kStartTimeout = 20000;

using State = PlayerEngine::State;

QStringList texts(const QSignalSpy& messages)
{
    QStringList out;
    for (const QList<QVariant>& message : messages)
        out << message.at(1).toString();
    return out;
}

} // namespace

class TestPlayerEngines : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void playsToTheEnd_data();
    void playsToTheEnd();
    void seeks_data();
    void seeks();
    void vlcFlags_data();
    void vlcFlags();
    void playsAgainAfterEndOrFailure_data();
    void playsAgainAfterEndOrFailure();
    void fullScreenAndBack_data();
    void fullScreenAndBack();
    void badMedia_data();
    void badMedia();
    void metafilePlays_data();
    void metafilePlays();
    void stalledStream_data();
    void stalledStream();
    void serverHangsUp_data();
    void serverHangsUp();
    void destroyWhilePlaying_data();
    void destroyWhilePlaying();
    void engineFailsToStart_data();
    void engineFailsToStart();

private:
    void addEngineRows();
    QString mediaUrl(const QString& prefix, const QString& file) const
    {
        return prefix + server_->url(file).toString();
    }

    QTemporaryDir dir_;
    std::unique_ptr<zv::test::FileServer> server_;
    QStringList errors_;
};

void TestPlayerEngines::initTestCase()
{
    QVERIFY(dir_.isValid());
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is needed to make the test media");
    const auto make = [&](const QStringList& args) {
        QProcess p;
        p.start(ffmpeg, QStringList{"-loglevel", "error", "-y"} + args);
        return p.waitForFinished(120000) && p.exitCode() == 0;
    };
    const QStringList video{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=4"};
    const QStringList audio{"-f", "lavfi", "-i", "sine=frequency=440:duration=4"};
    QVERIFY(make(video + audio
        + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", "-movflags", "+faststart",
            "-shortest", dir_.filePath("clip.mp4")}));
    QVERIFY(make(video + audio + QStringList{"-shortest", "-f", "rm", dir_.filePath("clip.rm")}));
    QVERIFY(make(audio + QStringList{dir_.filePath("song.mp3")}));
    QVERIFY(make(video + audio
        + QStringList{"-c:v", "wmv2", "-c:a", "wmav2", "-shortest", "-f", "asf", dir_.filePath("clip.wmv")}));
    // Bad input: cut streams, a RealMedia header with nothing after it, text
    // under a media name, playlists of servers that are not there.
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir_.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    for (const char* name : {"clip.wmv", "clip.rm", "clip.mp4"}) {
        QFile f(dir_.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        write(QStringLiteral("cut-") + name, bytes.left(bytes.size() / 3));
        if (QByteArray(name) == "clip.rm")
            write(QStringLiteral("header.rm"), bytes.left(bytes.indexOf("DATA")));
    }
    write("text.wmv", QByteArray("Ceci n'est pas une vidéo.\n").repeated(500));
    write("dead.ram", "http://127.0.0.1:1/a.rm\nhttp://127.0.0.1:1/b.rm\n");
    write("dead.asx", "<asx version=\"3.0\"><entry><ref href=\"http://127.0.0.1:1/a.wmv\"/></entry></asx>\n");
    write("dead.m3u", "#EXTM3U\nhttp://127.0.0.1:1/a.mp3\n");
    write("none.asx", "<asx version=\"3.0\"><title>Rien</title></asx>\n");
    write("good.ram", "# la radio\nclip.rm\n");
    write("outer.asx", "<ASX version=\"3.0\"><Entry><Ref HREF=\"good.asx\"/></Entry></ASX>\n");
    write("good.asx", "<asx version=\"3.0\"><entry><ref href=\"song.mp3\"/></entry></asx>\n");
    write("good.m3u", "#EXTM3U\n#EXTINF:4,Le son\nsong.mp3\n");
    QFile text(dir_.filePath("notmedia.mp3"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Ceci n'est pas un fichier son.\n").repeated(2000));
    text.close();

    server_ = std::make_unique<zv::test::FileServer>(dir_.path());
    QVERIFY(server_->isListening());
}

void TestPlayerEngines::cleanupTestCase()
{
    server_.reset();
    // Windows Media Player's streams went over GStreamer's HTTP source: with
    // libsoup 2.4, never 3 (which may crash as a reading player goes away).
    // Rows run alone may not have used that engine at all.
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(!mapped.contains("libsoup-3.0.so"));
    if (mapped.contains("libgstsoup.so"))
        QVERIFY(mapped.contains("libsoup-2.4.so"));
}

void TestPlayerEngines::init()
{
    errors_.clear();
    zv::setErrorReporter([this](const QString& text) { errors_ << text; });
    if (server_) {
        server_->setStallAfter(-1);
        server_->setCloseAfter(-1);
    }
}

void TestPlayerEngines::cleanup()
{
    zv::setErrorReporter({});
}

void TestPlayerEngines::addEngineRows()
{
    zv::test::columns<QString, QString>("prefix", "file");
    zv::test::row("wmp: Qt Multimedia", "", "song.mp3");
    zv::test::row("ra: libmpv", "ra:", "clip.rm");
    zv::test::row("vlc: libVLC", "", "clip.mp4");
}

void TestPlayerEngines::playsToTheEnd_data()
{
    addEngineRows();
}

void TestPlayerEngines::playsToTheEnd()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    TfrmPlayer frame;
    frame.show();
    QSignalSpy messages(&frame, &TfrmPlayer::Message);
    frame.Load(mediaUrl(prefix, file));
    frame.SetVolume(50);
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying(), kStartTimeout);
    QVERIFY(!messages.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(frame.GetPosition() > 0, kStartTimeout);
    const double early = frame.GetPosition();
    QTRY_VERIFY_WITH_TIMEOUT(frame.GetPosition() > early, kStartTimeout);
    QVERIFY(frame.GetPosition() <= 1.0);

    frame.Pause();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPaused(), kStartTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPlaying(), kStartTimeout); // paused is not playing
    frame.ToggleMute();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsMuted(), kStartTimeout);
    frame.Pause();
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPaused() && frame.IsPlaying(), kStartTimeout);
    frame.ToggleMute();
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsMuted(), kStartTimeout);

    // The end of the file ends playing.
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPlaying(), 30000);
    QVERIFY(!frame.IsPaused());
    QTRY_COMPARE_WITH_TIMEOUT(frame.playerControl()->state(), State::Ended, 10000);
    QVERIFY(errors_.isEmpty());
    // Nothing is left to show: full screen stays shut.
    frame.FullScreen();
    QVERIFY(!frame.playerControl()->isFullScreen());

    const QStringList said = texts(messages);
    if (frame.playerControl()->kind() == EngineKind::Vlc) {
        QCOMPARE(said, QStringList{"Lecture en cours..."}); // the plugin's host's own text only
    } else {
        QVERIFY2(said.contains(QStringLiteral("Lecture en cours...")), qPrintable(said.join('|')));
        QTRY_COMPARE_WITH_TIMEOUT(messages.last().at(1).toString(), QStringLiteral("Fin du média."), 10000);
        // No "Arrêté." on the way: the end says so itself.
        QVERIFY2(!said.contains(QStringLiteral("Arrêté.")), qPrintable(said.join('|')));
    }
    QCOMPARE(messages.last().at(0).value<QObject*>(), frame.playerControl());
}

void TestPlayerEngines::seeks_data()
{
    addEngineRows();
}

void TestPlayerEngines::seeks()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    TfrmPlayer frame;
    QSignalSpy messages(&frame, &TfrmPlayer::Message);
    frame.Load(mediaUrl(prefix, file));
    // Before the stream is known a seek does nothing.
    frame.SetPosition(0.75);
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying() && frame.GetPosition() > 0, kStartTimeout);
    QVERIFY(frame.GetPosition() < 0.6);
    frame.Pause();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPaused(), kStartTimeout);
    frame.SetPosition(0.75);
    QTRY_VERIFY_WITH_TIMEOUT(frame.GetPosition() > 0.6, kStartTimeout);
    frame.Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPlaying() && !frame.IsPaused(), kStartTimeout);
    QCOMPARE(frame.GetPosition(), 0.0); // back at the start
    // Every engine says so, and no buffering news of the stopped stream follows.
    QTest::qWait(300);
    QCOMPARE(texts(messages).last(), QStringLiteral("Arrêté."));
    // Play after Stop starts again.
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying(), kStartTimeout);
}

void TestPlayerEngines::vlcFlags_data()
{
    // The plugin reports neither its pause nor its mute: each is a flag of the
    // engine's, set by its toggle until the next toggle; Stop clears the pause
    // alone, a new control both.
    QTest::addColumn<bool>("pause");
    zv::test::row("pause", true);
    zv::test::row("mute", false);
}

void TestPlayerEngines::vlcFlags()
{
    QFETCH(bool, pause);
    TfrmPlayer frame;
    const auto toggle = [&] { pause ? frame.Pause() : frame.ToggleMute(); };
    const auto flag = [&] { return pause ? frame.IsPaused() : frame.IsMuted(); };
    frame.Load(mediaUrl("vlc:", "clip.mp4"));
    frame.Play();
    QVERIFY(!flag());
    toggle();
    QVERIFY(flag());
    toggle();
    QVERIFY(!flag());
    toggle();
    frame.Stop();
    QCOMPARE(flag(), !pause);
    if (pause) {
        toggle();
        QVERIFY(flag());
    }
    frame.Load(mediaUrl("vlc:", "clip.mp4"));
    QVERIFY(!flag()); // cleared for the new control
    toggle();
    frame.Load(mediaUrl("wmp:", "song.mp3"));
    QVERIFY(!flag()); // answered by the new engine
}

void TestPlayerEngines::playsAgainAfterEndOrFailure_data()
{
    // `missing`: the file is not there at the first play (the stream fails),
    // and is there at the second.
    zv::test::columns<QString, QString, bool>("prefix", "file", "missing");
    zv::test::row("wmp: .wmv after its end", "", "clip.wmv", false);
    zv::test::row("ra: after its end", "ra:", "clip.rm", false);
    zv::test::row("vlc: after its end", "", "clip.mp4", false);
    zv::test::row("wmp: after a failure", "wmp:", "song.mp3", true);
    zv::test::row("ra: after a failure", "ra:", "clip.rm", true);
    zv::test::row("vlc: after a failure", "vlc:", "clip.mp4", true);
}

void TestPlayerEngines::playsAgainAfterEndOrFailure()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    QFETCH(bool, missing);
    QString name = file;
    if (missing) {
        name = QStringLiteral("later-") + QTest::currentDataTag() + QLatin1Char('-') + file;
        name.replace(QLatin1Char(' '), QLatin1Char('-')).remove(QLatin1Char(':'));
        QFile::remove(dir_.filePath(name));
    }
    const QString url = mediaUrl(prefix, name);
    TfrmPlayer frame;
    frame.show();
    frame.Load(url);
    frame.Play();
    if (missing) {
        QTRY_COMPARE_WITH_TIMEOUT(frame.playerControl()->state(), State::Failed, kStartTimeout);
        QVERIFY(QFile::copy(dir_.filePath(file), dir_.filePath(name)));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying(), kStartTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(frame.playerControl()->state(), State::Ended, 30000);
    }
    // What a double-click on the same row does.
    QSignalSpy messages(&frame, &TfrmPlayer::Message);
    frame.Load(url);
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying() && frame.GetPosition() > 0, kStartTimeout);
    QVERIFY2(frame.GetPosition() < 0.6, "not from the start");
    const double early = frame.GetPosition();
    QTRY_VERIFY_WITH_TIMEOUT(frame.GetPosition() > early, kStartTimeout);
    QVERIFY2(
        !texts(messages).contains(QStringLiteral("Fin du média.")), qPrintable(texts(messages).join('|')));
    QVERIFY(errors_.isEmpty());
}

void TestPlayerEngines::fullScreenAndBack_data()
{
    addEngineRows();
}

void TestPlayerEngines::fullScreenAndBack()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    TfrmPlayer frame;
    frame.show();
    frame.Load(mediaUrl(prefix, file));
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying(), kStartTimeout);
    frame.FullScreen();
    QVERIFY(frame.playerControl()->isFullScreen());
    QWidget* full = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isFullScreen())
            full = w;
    QVERIFY(full);
    QVERIFY(full->isEnabled()); // takes Escape although the frame is disabled
    QTest::keyClick(full, Qt::Key_Escape);
    QVERIFY(!frame.playerControl()->isFullScreen());
    QVERIFY(!full->isWindow());
    frame.FullScreen();
    QVERIFY(frame.playerControl()->isFullScreen());
    QTest::mouseDClick(full, Qt::LeftButton);
    QVERIFY(!frame.playerControl()->isFullScreen());
}

void TestPlayerEngines::badMedia_data()
{
    // %1: the media server; %2: a server that takes the connection and never
    // answers. `text`: the status the attempt ends with; empty: it ends
    // whichever way (a cut file plays what it has), or for %2 only the
    // connection is awaited.
    zv::test::columns<QString, QString>("url", "text");
    using namespace statustext;
    zv::test::row("wmp: text file", "wmp:%1notmedia.mp3", format);
    zv::test::row("ra: text file", "ra:%1notmedia.mp3", format);
    zv::test::row("vlc: text file", "vlc:%1notmedia.mp3", empty);
    zv::test::row("wmp: text named .wmv", "%1text.wmv", format);
    zv::test::row("vlc: text named .wmv", "vlc:%1text.wmv", empty);
    zv::test::row("wmp: missing file", "wmp:%1nothing.mp3", missing);
    zv::test::row("ra: missing file", "ra:%1nothing.rm", missing);
    zv::test::row("vlc: missing file", "vlc:%1nothing.mp4", missing);
    zv::test::row("wmp: closed port", "wmp:http://127.0.0.1:1/a.mp3", unreachable);
    zv::test::row("ra: closed port", "ra:http://127.0.0.1:1/a.rm", unreachable);
    zv::test::row("vlc: closed port", "vlc:http://127.0.0.1:1/a.mp4", unreachable);
    zv::test::row("ra: RealMedia header alone", "%1header.rm", format);
    zv::test::row("vlc: RealMedia header alone", "vlc:%1header.rm", empty);
    zv::test::row("ra: .ram of dead servers", "%1dead.ram", unreachable);
    zv::test::row("wmp: .asx of dead servers", "%1dead.asx", unreachable);
    zv::test::row("wmp: .m3u of dead servers", "%1dead.m3u", unreachable);
    zv::test::row("vlc: .asx of dead servers", "vlc:%1dead.asx", unreachable);
    zv::test::row("wmp: .asx on a closed port", "http://127.0.0.1:1/a.asx", unreachable);
    zv::test::row("ra: missing .ram", "%1nothing.ram", missing);
    zv::test::row("wmp: .asx with no stream", "%1none.asx", empty);
    zv::test::row("wmp: .asx on a silent server", "%2a.asx", late);
    zv::test::row("wmp: cut .wmv", "%1cut-clip.wmv", QString());
    zv::test::row("ra: cut .rm", "%1cut-clip.rm", QString());
    zv::test::row("vlc: cut .mp4", "%1cut-clip.mp4", QString());
    zv::test::row("wmp: silent server", "wmp:%2a.wmv", QString());
    zv::test::row("ra: silent server", "ra:%2a.rm", QString());
    zv::test::row("vlc: silent server", "vlc:%2a.flv", QString());
    const QString junk = QString(5000, QChar(0x00e9)) + QStringLiteral("%00\t\n<>\"' ://");
    zv::test::row("wmp: junk", "wmp:" + junk, QString());
    zv::test::row("ra: junk", "ra:" + junk, QString());
    zv::test::row("vlc: junk", "vlc:" + junk, QString());
    zv::test::row("no prefix: long junk", QString(20000, QLatin1Char('%')), QString());
}

void TestPlayerEngines::badMedia()
{
    QFETCH(QString, url);
    QFETCH(QString, text);
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    const bool toSilent = url.contains(QLatin1String("%2"));
    url.replace(QLatin1String("%1"), server_->url(QString()).toString());
    url.replace(QLatin1String("%2"), QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    // Every text the frame may show, all French: no engine's own detail.
    using namespace statustext;
    const QStringList errorTexts{
        format, missing, unreachable, late, empty, generic, QStringLiteral("Média non valide.")};
    const QStringList otherTexts{QStringLiteral("Connexion..."), QStringLiteral("Lecture en cours..."),
        QStringLiteral("Fin du média."), QStringLiteral("Arrêté."), PlayerNoSoundText()};
    TfrmPlayer frame;
    frame.show();
    QSignalSpy messages(&frame, &TfrmPlayer::Message);
    const auto said = [&] {
        QStringList texts;
        for (const QList<QVariant>& m : messages)
            texts << m.at(1).toString();
        return texts;
    };
    frame.Load(url);
    frame.Play();
    bool played = false;
    const auto ended = [&] {
        played = played || frame.IsPlaying();
        // VLC keeps its own end quiet: a cut stream may play and end between
        // two looks, seen then in the engine's state alone.
        const PlayerEngine* control = frame.playerControl();
        const bool over = control && (control->state() == State::Ended || control->state() == State::Failed);
        return (played && !frame.IsPlaying()) || over
            || (!said().isEmpty() && errorTexts.contains(said().last()));
    };
    if (!text.isEmpty())
        QTRY_VERIFY2_WITH_TIMEOUT(
            !said().isEmpty() && said().last() == text, qPrintable(said().join('|')), kStartTimeout);
    else if (toSilent)
        QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), kStartTimeout);
    else if (url.contains(QLatin1String("cut-")))
        QTRY_VERIFY2_WITH_TIMEOUT(ended(), qPrintable(said().join('|')), kStartTimeout);
    QVERIFY(text.isEmpty() || !frame.IsPlaying());
    for (const QString& t : said()) {
        QVERIFY2(errorTexts.contains(t) || otherTexts.contains(t)
                || t.startsWith(QStringLiteral("Mise en mémoire tampon : ")),
            qPrintable(t));
    }
    frame.SetPosition(0.5);
    frame.Pause();
    frame.Stop();
    QVERIFY(errors_.isEmpty());

    // The same control plays the next stream of its engine.
    const PlayerEngine* control = frame.playerControl();
    const EngineKind engine = control ? control->kind() : EngineKind::WindowsMedia;
    const QString next = engine == EngineKind::RealPlayer ? mediaUrl("ra:", "clip.rm")
        : engine == EngineKind::Vlc                       ? mediaUrl("vlc:", "clip.mp4")
                                                          : mediaUrl("wmp:", "song.mp3");
    frame.Load(next);
    QVERIFY(!control || engine == EngineKind::Vlc || frame.playerControl() == control);
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying() && frame.GetPosition() > 0, kStartTimeout);
}

void TestPlayerEngines::metafilePlays_data()
{
    // Each read by the engine its name selects, which plays the first entry.
    QTest::addColumn<QString>("url");
    zv::test::row("ra: .ram", "%1good.ram");
    zv::test::row("wmp: .asx naming an .asx", "%1outer.asx");
    zv::test::row("wmp: local .m3u", "%3good.m3u");
}

void TestPlayerEngines::metafilePlays()
{
    QFETCH(QString, url);
    url.replace(QLatin1String("%1"), server_->url(QString()).toString());
    url.replace(QLatin1String("%3"), dir_.path() + QLatin1Char('/'));
    TfrmPlayer frame;
    frame.Load(url);
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying() && frame.GetPosition() > 0, kStartTimeout);
}

void TestPlayerEngines::stalledStream_data()
{
    addEngineRows();
}

void TestPlayerEngines::stalledStream()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    server_->setStallAfter(20000);
    TfrmPlayer frame;
    QSignalSpy messages(&frame, &TfrmPlayer::Message);
    frame.Load(mediaUrl(prefix, file));
    frame.Play();
    QTest::qWait(3000);
    // Stopping and releasing a control whose stream hangs returns.
    frame.Stop();
    frame.Load(QString());
    QVERIFY(!frame.playerControl());
}

void TestPlayerEngines::serverHangsUp_data()
{
    addEngineRows();
}

void TestPlayerEngines::serverHangsUp()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    server_->setCloseAfter(20000);
    TfrmPlayer frame;
    frame.Load(mediaUrl(prefix, file));
    frame.Play();
    // A cut stream ends playing (at once or after what arrived).
    QTest::qWait(1000);
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPlaying(), 30000);
    frame.Stop();
}

void TestPlayerEngines::destroyWhilePlaying_data()
{
    addEngineRows();
}

void TestPlayerEngines::destroyWhilePlaying()
{
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    for (int round = 0; round < 3; ++round) {
        auto frame = std::make_unique<TfrmPlayer>();
        int messages = 0;
        connect(frame.get(), &TfrmPlayer::Message, this, [&messages] { ++messages; });
        frame->show();
        frame->Load(mediaUrl(prefix, file));
        frame->Play();
        if (round == 0)
            QTRY_VERIFY_WITH_TIMEOUT(frame->IsPlaying(), kStartTimeout);
        else
            QTest::qWait(round * 100); // mid-start, events still on their way
        const int before = messages;
        frame.reset();
        // A dying frame sends no status text, not even "Arrêté.".
        QCOMPARE(messages, before);
        // Late events of the dead control must find nothing to touch.
        QTest::qWait(300);
    }
}

void TestPlayerEngines::engineFailsToStart_data()
{
    zv::test::columns<QString, QByteArray, QByteArray, QString>("url", "variable", "value", "panel");
    // Each library really refuses to start with these.
    zv::test::row("Qt Multimedia without its backend", "wmp:http://127.0.0.1/a.mp3",
        QByteArray("QT_MEDIA_BACKEND"), QByteArray("nosuchbackend"), "panErreurWMP");
    zv::test::row("libmpv with an unknown option", "ra:http://127.0.0.1/a.rm", QByteArray("ZV_MPV_OPTIONS"),
        QByteArray("no-such-option=1"), "panErreurRA");
    zv::test::row("libVLC with an unknown option", "vlc:http://127.0.0.1/a.mp4", QByteArray("ZV_VLC_OPTIONS"),
        QByteArray("--no-such-option"), "panErreurVLC");
}

void TestPlayerEngines::engineFailsToStart()
{
    QFETCH(QString, url);
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, panel);
    TfrmPlayer frame;
    frame.show();
    {
        EnvGuard env(variable.constData(), value);
        bool aborted = !zv::guarded([&] { frame.Load(url); });
        QVERIFY(aborted);
    }
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.first().startsWith(QStringLiteral("L'erreur suivante s'est produite : ")),
        qPrintable(errors_.first()));
    QVERIFY(!frame.playerControl());
    QVERIFY(frame.isEnabled());
    auto* shown = frame.findChild<QFrame*>(panel);
    QVERIFY(shown);
    QVERIFY(shown->isVisible());

    // With the library back in order the same URL plays.
    frame.Load(url);
    QVERIFY(frame.playerControl());
    QVERIFY(!shown->isVisible());
}

QTEST_MAIN(TestPlayerEngines)
#include "tst_playerengines.moc"
