// The three real engines play ffmpeg-made files from a loopback server, with
// headless sound and picture; and each one's real start-up failure.
#include "mediaserver.h"
#include "portal/errors.h"
#include "ui/player/cadplayer.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
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
    void fullScreenAndBack_data();
    void fullScreenAndBack();
    void badMedia_data();
    void badMedia();
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
    std::unique_ptr<MediaServer> server_;
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
    QFile text(dir_.filePath("notmedia.mp3"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Ceci n'est pas un fichier son.\n").repeated(2000));
    text.close();

    server_ = std::make_unique<MediaServer>(dir_.path());
    QVERIFY(server_->isListening());
}

void TestPlayerEngines::cleanupTestCase()
{
    server_.reset();
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
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("file");
    QTest::newRow("wmp: Qt Multimedia") << ""
                                        << "song.mp3";
    QTest::newRow("ra: libmpv") << "ra:"
                                << "clip.rm";
    QTest::newRow("vlc: libVLC") << ""
                                 << "clip.mp4";
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
    QVERIFY(errors_.isEmpty());

    QStringList texts;
    for (const QList<QVariant>& message : messages)
        texts << message.at(1).toString();
    if (frame.playerControl()->kind() == EngineKind::Vlc) {
        QCOMPARE(texts, QStringList{"Lecture en cours..."}); // the frame's own text only
    } else {
        QVERIFY2(texts.contains(QStringLiteral("Lecture en cours...")), qPrintable(texts.join('|')));
        QTRY_COMPARE_WITH_TIMEOUT(messages.last().at(1).toString(), QStringLiteral("Fin du média."), 10000);
        QCOMPARE(messages.last().at(0).value<QObject*>(), frame.playerControl());
    }
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
    frame.Load(mediaUrl(prefix, file));
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying() && frame.GetPosition() > 0, kStartTimeout);
    frame.Pause();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPaused(), kStartTimeout);
    frame.SetPosition(0.75);
    QTRY_VERIFY_WITH_TIMEOUT(frame.GetPosition() > 0.6, kStartTimeout);
    frame.Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPlaying() && !frame.IsPaused(), kStartTimeout);
    // Play after Stop starts again.
    frame.Play();
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsPlaying(), kStartTimeout);
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
    QTest::addColumn<QString>("url");
    QTest::newRow("wmp: text file") << "wmp:%1notmedia.mp3";
    QTest::newRow("ra: text file") << "ra:%1notmedia.mp3";
    QTest::newRow("vlc: text file") << "vlc:%1notmedia.mp3";
    QTest::newRow("wmp: missing file") << "wmp:%1nothing.mp3";
    QTest::newRow("ra: missing file") << "ra:%1nothing.rm";
    QTest::newRow("vlc: missing file") << "vlc:%1nothing.mp4";
    QTest::newRow("wmp: closed port") << "wmp:http://127.0.0.1:1/a.mp3";
    QTest::newRow("ra: closed port") << "ra:http://127.0.0.1:1/a.rm";
    QTest::newRow("vlc: closed port") << "vlc:http://127.0.0.1:1/a.mp4";
    const QString junk = QString(5000, QChar(0x00e9)) + QStringLiteral("%00\t\n<>\"' ://");
    QTest::newRow("wmp: junk") << "wmp:" + junk;
    QTest::newRow("ra: junk") << "ra:" + junk;
    QTest::newRow("vlc: junk") << "vlc:" + junk;
    QTest::newRow("no prefix: long junk") << QString(20000, QLatin1Char('%'));
}

void TestPlayerEngines::badMedia()
{
    QFETCH(QString, url);
    const QString base = server_->url(QString()).toString();
    TfrmPlayer frame;
    frame.show();
    frame.Load(url.contains(QLatin1String("%1")) ? url.arg(base) : url);
    frame.Play();
    // Whatever the engine makes of it, it never plays and the window stays live.
    QTest::qWait(1500);
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsPlaying(), kStartTimeout);
    QCOMPARE(frame.GetPosition(), 0.0);
    frame.SetPosition(0.5);
    frame.Pause();
    frame.Stop();
    QVERIFY(errors_.isEmpty());
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
        frame->show();
        frame->Load(mediaUrl(prefix, file));
        frame->Play();
        if (round == 0)
            QTRY_VERIFY_WITH_TIMEOUT(frame->IsPlaying(), kStartTimeout);
        else
            QTest::qWait(round * 100); // mid-start, events still on their way
        frame.reset();
        // Late events of the dead control must find nothing to touch.
        QTest::qWait(300);
    }
}

void TestPlayerEngines::engineFailsToStart_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("panel");
    // Each library really refuses to start with these.
    QTest::newRow("Qt Multimedia without its backend")
        << "wmp:http://127.0.0.1/a.mp3" << QByteArray("QT_MEDIA_BACKEND") << QByteArray("nosuchbackend")
        << "panErreurWMP";
    QTest::newRow("libmpv with an unknown option")
        << "ra:http://127.0.0.1/a.rm" << QByteArray("ZV_MPV_OPTIONS") << QByteArray("no-such-option=1")
        << "panErreurRA";
    QTest::newRow("libVLC with an unknown option")
        << "vlc:http://127.0.0.1/a.mp4" << QByteArray("ZV_VLC_OPTIONS") << QByteArray("--no-such-option")
        << "panErreurVLC";
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
