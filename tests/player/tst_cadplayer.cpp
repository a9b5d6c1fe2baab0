// The frame's rules, against fake controls.
#include "fakeengine.h"
#include "portal/errors.h"
#include "ui/player/cadplayer.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(EngineKind)

// Receives the links the frame opens instead of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestCadPlayer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWithoutControl();
    void sameEngineKeepsControl_data();
    void sameEngineKeepsControl();
    void vlcControlNeverReused();
    void otherEngineReplacesControl();
    void emptyLoadReleases();
    void failingStopIgnoredOnReplace();
    void playPerEngine_data();
    void playPerEngine();
    void statusForwarding();
    void vlcPauseFlag();
    void vlcMuteFlag();
    void pauseToggleUsesPlayState_data();
    void pauseToggleUsesPlayState();
    void stateCodes_data();
    void stateCodes();
    void positionUnits_data();
    void positionUnits();
    void seekGuards_data();
    void seekGuards();
    void noControlIsInert();
    void failingEngineShowsPanel_data();
    void failingEngineShowsPanel();
    void errorPanelsKeepColoursUnderTheme();
    void errorLinksOpenPages_data();
    void errorLinksOpenPages();
    void destructionReleasesControl();

private:
    FakeEngine* fake(TfrmPlayer& frame) { return qobject_cast<FakeEngine*>(frame.playerControl()); }

    QStringList log_;
    QStringList errors_;
    QString failWith_; // the next creation throws this text
};

void TestCadPlayer::init()
{
    log_.clear();
    errors_.clear();
    failWith_.clear();
    zv::setErrorReporter([this](const QString& text) { errors_ << text; });
    TfrmPlayer::setEngineFactory([this](EngineKind kind, QWidget* parent) -> std::unique_ptr<PlayerEngine> {
        log_ << QStringLiteral("create %1").arg(EngineName(kind));
        if (!failWith_.isEmpty())
            throw zv::Error(failWith_);
        return std::make_unique<FakeEngine>(kind, parent, &log_);
    });
}

void TestCadPlayer::cleanup()
{
    TfrmPlayer::setEngineFactory({});
    zv::setErrorReporter({});
}

void TestCadPlayer::startsWithoutControl()
{
    TfrmPlayer frame;
    QCOMPARE(frame.size(), QSize(293, 200));
    QVERIFY(!frame.playerControl());
    QVERIFY(frame.isEnabled());
    for (QFrame* panel : {frame.panErreurWMP, frame.panErreurRA, frame.panErreurVLC})
        QVERIFY(panel->isHidden());
}

void TestCadPlayer::sameEngineKeepsControl_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("secondSource");
    QTest::newRow("wmp") << "http://h/a.asf"
                         << "wmp:http://h/b.rm"
                         << "http://h/b.rm";
    QTest::newRow("realplayer") << "http://h/a.rm"
                                << "ra:http://h/b.mp3"
                                << "http://h/b.mp3";
}

void TestCadPlayer::sameEngineKeepsControl()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, secondSource);
    TfrmPlayer frame;
    frame.Load(first);
    QPointer<PlayerEngine> control = frame.playerControl();
    QVERIFY(control);
    QCOMPARE(fake(frame)->source, ChooseEngine(first).url); // given at creation
    QVERIFY(!frame.isEnabled());
    QVERIFY(control->isVisibleTo(&frame));
    QCOMPARE(control->geometry(), QRect(0, 0, 293, 200));

    frame.Load(second);
    QCOMPARE(frame.playerControl(), control.data());
    QCOMPARE(log_.count(QStringLiteral("destroyed")), 0);
    QCOMPARE(frame.url(), secondSource);
    // The kept control hears of the new address only at the next Play.
    QCOMPARE(fake(frame)->source, ChooseEngine(first).url);
    frame.Play();
    QCOMPARE(fake(frame)->source, secondSource);
    QCOMPARE(log_.last(), QStringLiteral("play"));
}

void TestCadPlayer::vlcControlNeverReused()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.mp4"));
    QPointer<PlayerEngine> first = frame.playerControl();
    QVERIFY(first);
    QVERIFY(fake(frame)->source.isEmpty()); // VLC gets its address from Play
    frame.Load(QStringLiteral("vlc:http://h/b.mp3"));
    QVERIFY(!first);
    QVERIFY(frame.playerControl());
    QCOMPARE(log_, QStringList({"create VLC", "stop", "destroyed", "create VLC"}));
    QCOMPARE(frame.url(), QStringLiteral("http://h/b.mp3"));
}

void TestCadPlayer::otherEngineReplacesControl()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.asf"));
    frame.Load(QStringLiteral("http://h/a.rm"));
    QCOMPARE(frame.playerControl()->kind(), EngineKind::RealPlayer);
    QCOMPARE(log_,
        QStringList({"create Windows Media Player", "source http://h/a.asf", "stop", "destroyed",
            "create RealPlayer", "source http://h/a.rm"}));
}

void TestCadPlayer::emptyLoadReleases()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.asf"));
    QVERIFY(!frame.isEnabled());
    log_.clear();
    frame.Load(QString());
    QCOMPARE(log_, QStringList({"stop", "destroyed"}));
    QVERIFY(!frame.playerControl());
    QVERIFY(frame.isEnabled());
    QVERIFY(frame.url().isEmpty());
    // A prefix alone is an empty address too.
    frame.Load(QStringLiteral("vlc:"));
    QVERIFY(!frame.playerControl());
}

void TestCadPlayer::failingStopIgnoredOnReplace()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.asf"));
    fake(frame)->failStop = true;
    frame.Load(QStringLiteral("http://h/a.mp4"));
    QCOMPARE(frame.playerControl()->kind(), EngineKind::Vlc);
    QVERIFY(errors_.isEmpty());
}

void TestCadPlayer::playPerEngine_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("wmp") << "http://h/a.asf" << QStringList{"source http://h/a.asf", "play"} << QStringList{};
    QTest::newRow("realplayer") << "http://h/a.rm" << QStringList{"source http://h/a.rm", "play"}
                                << QStringList{};
    QTest::newRow("vlc") << "http://h/a.mp4" << QStringList{"source http://h/a.mp4", "play"}
                         << QStringList{"Lecture en cours..."};
}

void TestCadPlayer::playPerEngine()
{
    QFETCH(QString, url);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, messages);
    TfrmPlayer frame;
    QSignalSpy spy(&frame, &TfrmPlayer::Message);
    frame.Load(url);
    log_.clear();
    frame.Play();
    QCOMPARE(log_, calls);
    QCOMPARE(spy.size(), messages.size());
    for (int i = 0; i < spy.size(); ++i) {
        QCOMPARE(spy.at(i).at(0).value<QObject*>(), &frame);
        QCOMPARE(spy.at(i).at(1).toString(), messages.at(i));
    }
}

void TestCadPlayer::statusForwarding()
{
    TfrmPlayer frame;
    QSignalSpy spy(&frame, &TfrmPlayer::Message);
    frame.Load(QStringLiteral("http://h/a.asf"));
    fake(frame)->sendStatus(QStringLiteral("Connexion..."));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<QObject*>(), frame.playerControl());
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("Connexion..."));

    // VLC's stop text is the frame's; what its control tells (a failure) passes.
    frame.Load(QStringLiteral("http://h/a.mp4"));
    spy.clear();
    frame.Stop();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<QObject*>(), &frame);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("Arrêté."));
    fake(frame)->sendStatus(QStringLiteral("Média introuvable."));
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).value<QObject*>(), frame.playerControl());
}

void TestCadPlayer::vlcPauseFlag()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.mp4"));
    frame.Play();
    QVERIFY(!frame.IsPaused());
    log_.clear();
    frame.Pause();
    QVERIFY(frame.IsPaused());
    frame.Pause();
    QVERIFY(!frame.IsPaused());
    QCOMPARE(log_, QStringList({"pause", "play"}));
    frame.Pause();
    frame.Stop();
    QVERIFY(!frame.IsPaused());
    frame.Pause();
    QVERIFY(frame.IsPaused());
    frame.Load(QStringLiteral("http://h/b.flv"));
    QVERIFY(!frame.IsPaused());
    frame.Pause();
    frame.Load(QStringLiteral("http://h/b.asf"));
    QVERIFY(!frame.IsPaused()); // answered by the new engine
}

void TestCadPlayer::vlcMuteFlag()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.mp4"));
    QVERIFY(!frame.IsMuted());
    frame.ToggleMute();
    QVERIFY(frame.IsMuted());
    QCOMPARE(log_.last(), QStringLiteral("toggle mute"));
    frame.ToggleMute();
    QVERIFY(!frame.IsMuted());
    frame.ToggleMute();
    frame.Load(QStringLiteral("http://h/b.mp4"));
    QVERIFY(!frame.IsMuted()); // cleared for the new control
}

void TestCadPlayer::pauseToggleUsesPlayState_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("call");
    QTest::newRow("wmp playing") << "http://h/a.asf" << 3 << "pause";
    QTest::newRow("wmp paused") << "http://h/a.asf" << 2 << "play";
    QTest::newRow("ra playing") << "http://h/a.rm" << 3 << "pause";
    QTest::newRow("ra paused") << "http://h/a.rm" << 4 << "play";
    QTest::newRow("ra state 2 is not paused") << "http://h/a.rm" << 2 << "pause";
}

void TestCadPlayer::pauseToggleUsesPlayState()
{
    QFETCH(QString, url);
    QFETCH(int, state);
    QFETCH(QString, call);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->state = state;
    log_.clear();
    frame.Pause();
    QCOMPARE(log_, QStringList{call});
}

void TestCadPlayer::stateCodes_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("muted");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<bool>("paused");
    QTest::newRow("wmp 3") << "http://h/a.asf" << 3 << false << true << false;
    QTest::newRow("wmp 2") << "http://h/a.asf" << 2 << true << false << true;
    QTest::newRow("wmp 4 (ra's paused)") << "http://h/a.asf" << 4 << false << false << false;
    QTest::newRow("ra 3") << "http://h/a.rm" << 3 << true << true << false;
    QTest::newRow("ra 4") << "http://h/a.rm" << 4 << false << false << true;
    QTest::newRow("ra 2 (wmp's paused)") << "http://h/a.rm" << 2 << false << false << false;
}

void TestCadPlayer::stateCodes()
{
    QFETCH(QString, url);
    QFETCH(int, state);
    QFETCH(bool, muted);
    QFETCH(bool, playing);
    QFETCH(bool, paused);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->state = state;
    fake(frame)->muted = muted;
    QCOMPARE(frame.IsPlaying(), playing);
    QCOMPARE(frame.IsPaused(), paused);
    QCOMPARE(frame.IsMuted(), muted);
    frame.ToggleMute();
    QCOMPARE(frame.IsMuted(), !muted);
}

void TestCadPlayer::positionUnits_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("fraction");
    QTest::newRow("wmp seconds") << "http://h/a.asf" << 30.0 << 120.0 << 0.25;
    QTest::newRow("wmp at start") << "http://h/a.asf" << 0.0 << 120.0 << 0.0;
    QTest::newRow("wmp no length") << "http://h/a.asf" << 30.0 << 0.0 << 0.0;
    QTest::newRow("ra milliseconds") << "http://h/a.rm" << 30000.0 << 120000.0 << 0.25;
    QTest::newRow("ra no length") << "http://h/a.rm" << 30000.0 << 0.0 << 0.0;
    QTest::newRow("vlc fraction") << "http://h/a.mp4" << 0.25 << 120000.0 << 0.25;
    QTest::newRow("vlc no length") << "http://h/a.mp4" << 0.25 << 0.0 << 0.0;
}

void TestCadPlayer::positionUnits()
{
    QFETCH(QString, url);
    QFETCH(double, position);
    QFETCH(double, length);
    QFETCH(double, fraction);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->pos = position;
    fake(frame)->len = length;
    QCOMPARE(frame.GetPosition(), fraction);
}

void TestCadPlayer::seekGuards_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<QString>("call"); // empty: no seek
    QTest::newRow("wmp") << "http://h/a.asf" << 10.0 << 120.0 << 0.5 << "seek 60";
    QTest::newRow("wmp not started") << "http://h/a.asf" << 0.0 << 120.0 << 0.5 << "";
    QTest::newRow("wmp no length") << "http://h/a.asf" << 10.0 << 0.0 << 0.5 << "";
    QTest::newRow("ra rounds to ms") << "http://h/a.rm" << 0.0 << 1001.0 << 0.5 << "seek 501";
    QTest::newRow("ra no length") << "http://h/a.rm" << 10.0 << 0.0 << 0.5 << "";
    QTest::newRow("vlc") << "http://h/a.mp4" << 0.0 << 5000.0 << 0.3 << "seek 0.3";
    QTest::newRow("vlc no length") << "http://h/a.mp4" << 0.1 << 0.0 << 0.3 << "";
    QTest::newRow("past the end clamped") << "http://h/a.rm" << 0.0 << 1000.0 << 7.0 << "seek 1000";
    QTest::newRow("not a number") << "http://h/a.rm" << 0.0 << 1000.0 << qQNaN() << "";
}

void TestCadPlayer::seekGuards()
{
    QFETCH(QString, url);
    QFETCH(double, position);
    QFETCH(double, length);
    QFETCH(double, fraction);
    QFETCH(QString, call);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->pos = position;
    fake(frame)->len = length;
    log_.clear();
    frame.SetPosition(fraction);
    QCOMPARE(log_, call.isEmpty() ? QStringList() : QStringList{call});
}

void TestCadPlayer::noControlIsInert()
{
    TfrmPlayer frame;
    QSignalSpy spy(&frame, &TfrmPlayer::Message);
    frame.Play();
    frame.Pause();
    frame.Stop();
    frame.ToggleMute();
    frame.FullScreen();
    frame.SetVolume(50);
    frame.SetPosition(0.5);
    QVERIFY(!frame.IsPlaying());
    QVERIFY(!frame.IsPaused());
    QVERIFY(!frame.IsMuted());
    QCOMPARE(frame.GetPosition(), 0.0);
    QVERIFY(log_.isEmpty());
    QCOMPARE(spy.size(), 0);
}

void TestCadPlayer::failingEngineShowsPanel_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<EngineKind>("engine");
    QTest::newRow("wmp") << "http://h/a.asf" << EngineKind::WindowsMedia;
    QTest::newRow("realplayer") << "ra:http://h/a" << EngineKind::RealPlayer;
    QTest::newRow("vlc") << "http://h/a.flv" << EngineKind::Vlc;
}

void TestCadPlayer::failingEngineShowsPanel()
{
    QFETCH(QString, url);
    QFETCH(EngineKind, engine);
    TfrmPlayer frame;
    frame.show();
    // A working control of another engine is there first, and goes.
    frame.Load(engine == EngineKind::RealPlayer ? QStringLiteral("http://h/x.mp4")
                                                : QStringLiteral("http://h/x.rm"));
    QPointer<PlayerEngine> previous = frame.playerControl();
    failWith_ = QStringLiteral("classe non enregistrée");
    bool aborted = false;
    try {
        frame.Load(url);
    } catch (const zv::Abort&) {
        aborted = true;
    }
    QVERIFY(aborted);
    QCOMPARE(errors_, QStringList{"L'erreur suivante s'est produite : classe non enregistrée"});
    QVERIFY(!previous);
    QVERIFY(!frame.playerControl());
    QVERIFY(frame.isEnabled()); // so that the link can be clicked
    QVERIFY(frame.url().isEmpty());
    const QMap<EngineKind, QFrame*> panels{{EngineKind::WindowsMedia, frame.panErreurWMP},
        {EngineKind::RealPlayer, frame.panErreurRA}, {EngineKind::Vlc, frame.panErreurVLC}};
    for (auto it = panels.begin(); it != panels.end(); ++it)
        QCOMPARE(it.value()->isVisible(), it.key() == engine);
    QCOMPARE(panels[engine]->geometry(), frame.rect());

    // Under guarded() the abort is silent: no second message.
    QVERIFY(!zv::guarded([&] { frame.Load(url); }));
    QCOMPARE(errors_.size(), 2);

    // The next good Load hides the panel again.
    failWith_.clear();
    frame.Load(url);
    QVERIFY(frame.playerControl());
    QVERIFY(!panels[engine]->isVisible());
}

void TestCadPlayer::errorPanelsKeepColoursUnderTheme()
{
    // What a theme of the main window sets for every label and frame.
    qApp->setStyleSheet(
        QStringLiteral("QLabel { color: #dfe6f0; background: transparent; } QFrame { background: #000; }"));
    TfrmPlayer frame;
    frame.show();
    frame.panErreurVLC->show();
    const QImage shot = frame.grab().toImage();
    qApp->setStyleSheet(QString());
    QCOMPARE(shot.pixelColor(frame.width() - 8, 8), QColor(Qt::white));
    frame.lblErrInfoVLC->ensurePolished();
    frame.lblErrLienVLC->ensurePolished();
    QCOMPARE(frame.lblErrInfoVLC->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(frame.lblErrLienVLC->palette().color(QPalette::WindowText), QColor(Qt::blue));
}

void TestCadPlayer::errorLinksOpenPages_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("host");
    QTest::newRow("wmp") << "lblErrLienWMP"
                         << "microsoft.com";
    QTest::newRow("realplayer") << "lblErrLienRA"
                                << "real.com";
    QTest::newRow("vlc") << "lblErrLienVLC"
                         << "videolan.org";
}

void TestCadPlayer::errorLinksOpenPages()
{
    QFETCH(QString, label);
    QFETCH(QString, host);
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    TfrmPlayer frame;
    auto* link = frame.findChild<QLabel*>(label);
    QVERIFY(link);
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(link->font().underline());
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(recorder.opened.size(), 1);
    QVERIFY2(recorder.opened.first().host().endsWith(host), qPrintable(recorder.opened.first().toString()));
}

void TestCadPlayer::destructionReleasesControl()
{
    auto frame = std::make_unique<TfrmPlayer>();
    frame->Load(QStringLiteral("http://h/a.rm"));
    frame->Play();
    log_.clear();
    frame.reset();
    QCOMPARE(log_, QStringList({"stop", "destroyed"}));

    // A dying frame sends no status text, not even VLC's "Arrêté.".
    frame = std::make_unique<TfrmPlayer>();
    int messages = 0;
    connect(frame.get(), &TfrmPlayer::Message, this, [&messages] { ++messages; });
    frame->Load(QStringLiteral("http://h/a.mp4"));
    frame->Play();
    QCOMPARE(messages, 1);
    frame.reset();
    QCOMPARE(messages, 1);
}

QTEST_MAIN(TestCadPlayer)
#include "tst_cadplayer.moc"
