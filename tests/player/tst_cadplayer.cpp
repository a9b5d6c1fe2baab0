// The frame's rules, against fake controls.
#include "base/errors.h"
#include "support/fakeengine.h"
#include "support/table.h"
#include "ui/player/cadplayer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(EngineKind)

using zv::test::FakeEngine;
using State = PlayerEngine::State;

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
    void statusForwarding_data();
    void statusForwarding();
    void pauseToggleUsesState_data();
    void pauseToggleUsesState();
    void stateAnswers_data();
    void stateAnswers();
    void whatEachStateAllows_data();
    void whatEachStateAllows();
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
    FakeEngine* fake(TfrmPlayer& frame) { return dynamic_cast<FakeEngine*>(frame.playerControl()); }

    zv::test::FakeEngineLog log_;
    QStringList errors_;
};

void TestCadPlayer::init()
{
    log_ = {};
    errors_.clear();
    zv::setErrorReporter([this](const QString& text) { errors_ << text; });
    zv::test::installFakeEngines(&log_);
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
    zv::test::columns<QString, QString, QString>("first", "second", "secondSource");
    zv::test::row("wmp", "http://h/a.asf", "wmp:http://h/b.rm", "http://h/b.rm");
    zv::test::row("realplayer", "http://h/a.rm", "ra:http://h/b.mp3", "http://h/b.mp3");
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
    QCOMPARE(log_.calls.count(QStringLiteral("destroyed")), 0);
    QCOMPARE(frame.url(), secondSource);
    // The kept control hears of the new address only at the next Play.
    QCOMPARE(fake(frame)->source, ChooseEngine(first).url);
    frame.Play();
    QCOMPARE(fake(frame)->source, secondSource);
    QCOMPARE(log_.calls.last(), QStringLiteral("play ") + secondSource);
}

void TestCadPlayer::vlcControlNeverReused()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.mp4"));
    QPointer<PlayerEngine> first = frame.playerControl();
    QVERIFY(first);
    QVERIFY(log_.sources().isEmpty()); // nothing starts before Play
    frame.Load(QStringLiteral("vlc:http://h/b.mp3"));
    QVERIFY(!first);
    QVERIFY(frame.playerControl());
    QCOMPARE(log_.calls,
        QStringList({"create VLC", "source http://h/a.mp4", "stop", "destroyed", "create VLC",
            "source http://h/b.mp3"}));
    QCOMPARE(frame.url(), QStringLiteral("http://h/b.mp3"));
}

void TestCadPlayer::otherEngineReplacesControl()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.asf"));
    frame.Load(QStringLiteral("http://h/a.rm"));
    QCOMPARE(frame.playerControl()->kind(), EngineKind::RealPlayer);
    QCOMPARE(log_.calls,
        QStringList({"create Windows Media Player", "source http://h/a.asf", "stop", "destroyed",
            "create RealPlayer", "source http://h/a.rm"}));
}

void TestCadPlayer::emptyLoadReleases()
{
    TfrmPlayer frame;
    frame.Load(QStringLiteral("http://h/a.asf"));
    QVERIFY(!frame.isEnabled());
    log_.calls.clear();
    frame.Load(QString());
    QCOMPARE(log_.calls, QStringList({"stop", "destroyed"}));
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
    zv::test::columns<QString, QStringList>("url", "calls");
    zv::test::row("wmp", "http://h/a.asf", QStringList{"source http://h/a.asf", "play http://h/a.asf"});
    zv::test::row("realplayer", "http://h/a.rm", QStringList{"source http://h/a.rm", "play http://h/a.rm"});
    zv::test::row("vlc", "http://h/a.mp4", QStringList{"source http://h/a.mp4", "play http://h/a.mp4"});
}

void TestCadPlayer::playPerEngine()
{
    QFETCH(QString, url);
    QFETCH(QStringList, calls);
    TfrmPlayer frame;
    QSignalSpy spy(&frame, &TfrmPlayer::Message);
    frame.Load(url);
    log_.calls.clear();
    frame.Play();
    QCOMPARE(log_.calls, calls);
    // Every text is the engine's own (VLC's two fixed ones too).
    QCOMPARE(spy.size(), 0);
}

void TestCadPlayer::statusForwarding_data()
{
    zv::test::columns<QString, bool, QString>("url", "error", "text");
    zv::test::row("wmp status", "http://h/a.asf", false, "Connexion...");
    zv::test::row("wmp error", "http://h/a.asf", true, "Média introuvable.");
    zv::test::row("realplayer status", "http://h/a.rm", false, "Fin du média.");
    zv::test::row("vlc status", "http://h/a.mp4", false, "Arrêté.");
    zv::test::row("vlc error", "http://h/a.mp4", true, "Serveur injoignable.");
}

void TestCadPlayer::statusForwarding()
{
    QFETCH(QString, url);
    QFETCH(bool, error);
    QFETCH(QString, text);
    TfrmPlayer frame;
    QSignalSpy spy(&frame, &TfrmPlayer::Message);
    frame.Load(url);
    if (error)
        fake(frame)->fail(text);
    else
        fake(frame)->sendStatus(text);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<QObject*>(), frame.playerControl());
    QCOMPARE(spy.at(0).at(1).toString(), text);
    QCOMPARE(frame.playerControl()->state(), error ? State::Failed : State::Empty);
}

void TestCadPlayer::pauseToggleUsesState_data()
{
    zv::test::columns<QString, State, QString>("url", "state", "call");
    zv::test::row("wmp playing", "http://h/a.asf", State::Playing, "pause");
    zv::test::row("wmp paused", "http://h/a.asf", State::Paused, "resume");
    zv::test::row("ra playing", "http://h/a.rm", State::Playing, "pause");
    zv::test::row("ra paused", "http://h/a.rm", State::Paused, "resume");
    zv::test::row("vlc paused", "http://h/a.mp4", State::Paused, "resume");
    zv::test::row("opening is not paused", "http://h/a.rm", State::Opening, "pause");
    zv::test::row("ended is not paused", "http://h/a.asf", State::Ended, "pause");
}

void TestCadPlayer::pauseToggleUsesState()
{
    QFETCH(QString, url);
    QFETCH(State, state);
    QFETCH(QString, call);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->setState(state);
    log_.calls.clear();
    frame.Pause();
    QCOMPARE(log_.calls, QStringList{call});
}

void TestCadPlayer::stateAnswers_data()
{
    zv::test::columns<QString, State, bool, bool, bool>("url", "state", "muted", "playing", "paused");
    zv::test::row("wmp playing", "http://h/a.asf", State::Playing, false, true, false);
    zv::test::row("wmp paused", "http://h/a.asf", State::Paused, true, false, true);
    zv::test::row("wmp ended", "http://h/a.asf", State::Ended, false, false, false);
    zv::test::row("ra playing", "http://h/a.rm", State::Playing, true, true, false);
    zv::test::row("ra paused", "http://h/a.rm", State::Paused, false, false, true);
    zv::test::row("ra opening", "http://h/a.rm", State::Opening, false, false, false);
    zv::test::row("vlc failed", "http://h/a.mp4", State::Failed, true, false, false);
    zv::test::row("vlc empty", "http://h/a.mp4", State::Empty, false, false, false);
}

void TestCadPlayer::stateAnswers()
{
    QFETCH(QString, url);
    QFETCH(State, state);
    QFETCH(bool, muted);
    QFETCH(bool, playing);
    QFETCH(bool, paused);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->setState(state);
    fake(frame)->setMuted(muted);
    QCOMPARE(frame.IsPlaying(), playing);
    QCOMPARE(frame.IsPaused(), paused);
    QCOMPARE(frame.IsMuted(), muted);
    frame.ToggleMute();
    QCOMPARE(frame.IsMuted(), !muted);
    QCOMPARE(log_.calls.last(), muted ? QStringLiteral("mute off") : QStringLiteral("mute on"));
}

void TestCadPlayer::whatEachStateAllows_data()
{
    // Full screen needs a picture to show; a buffering text, a stream that
    // opens or plays (a library's late news of a stopped one is dropped).
    zv::test::columns<State, bool, bool>("state", "full", "buffering");
    zv::test::row("playing", State::Playing, true, true);
    zv::test::row("paused", State::Paused, true, false);
    zv::test::row("opening", State::Opening, false, true);
    zv::test::row("ended", State::Ended, false, false);
    zv::test::row("failed", State::Failed, false, false);
    zv::test::row("stopped", State::Empty, false, false);
}

void TestCadPlayer::whatEachStateAllows()
{
    QFETCH(State, state);
    QFETCH(bool, full);
    QFETCH(bool, buffering);
    TfrmPlayer frame;
    frame.show();
    QSignalSpy spy(&frame, &TfrmPlayer::Message);
    frame.Load(QStringLiteral("http://h/a.asf"));
    fake(frame)->setState(state);
    fake(frame)->sendBuffering(96);
    QCOMPARE(spy.size(), buffering ? 1 : 0);
    if (buffering)
        QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("Mise en mémoire tampon : 96 %"));

    frame.FullScreen();
    QCOMPARE(frame.playerControl()->isFullScreen(), full);
    bool windowShown = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        windowShown = windowShown || (w->isVisible() && w->isFullScreen());
    QCOMPARE(windowShown, full);
    frame.playerControl()->setFullScreen(false);
}

void TestCadPlayer::positionUnits_data()
{
    zv::test::columns<QString, qint64, qint64, double>("url", "position", "length", "fraction");
    zv::test::row("wmp quarter", "http://h/a.asf", qint64(30000), qint64(120000), 0.25);
    zv::test::row("wmp at start", "http://h/a.asf", qint64(0), qint64(120000), 0.0);
    zv::test::row("wmp no length", "http://h/a.asf", qint64(30000), qint64(0), 0.0);
    zv::test::row("ra quarter", "http://h/a.rm", qint64(30000), qint64(120000), 0.25);
    zv::test::row("ra no length", "http://h/a.rm", qint64(30000), qint64(0), 0.0);
    zv::test::row("vlc whole", "http://h/a.mp4", qint64(120000), qint64(120000), 1.0);
    zv::test::row("vlc no length", "http://h/a.mp4", qint64(30000), qint64(-1), 0.0);
    zv::test::row("an hour's first ms", "http://h/a.mp4", qint64(1), qint64(3600000), 1 / 3600000.0);
}

void TestCadPlayer::positionUnits()
{
    QFETCH(QString, url);
    QFETCH(qint64, position);
    QFETCH(qint64, length);
    QFETCH(double, fraction);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->pos = position;
    fake(frame)->len = length;
    QCOMPARE(frame.GetPosition(), fraction);
}

void TestCadPlayer::seekGuards_data()
{
    // call: empty: no seek
    zv::test::columns<QString, qint64, double, QString>("url", "length", "fraction", "call");
    zv::test::row("wmp", "http://h/a.asf", qint64(120000), 0.5, "seek 60000");
    zv::test::row("wmp no length", "http://h/a.asf", qint64(0), 0.5, "");
    zv::test::row("ra rounds to ms", "http://h/a.rm", qint64(1001), 0.5, "seek 501");
    zv::test::row("ra no length", "http://h/a.rm", qint64(0), 0.5, "");
    zv::test::row("vlc", "http://h/a.mp4", qint64(5000), 0.3, "seek 1500");
    zv::test::row("vlc no length", "http://h/a.mp4", qint64(0), 0.3, "");
    zv::test::row("past the end clamped", "http://h/a.rm", qint64(1000), 7.0, "seek 1000");
    zv::test::row("before the start clamped", "http://h/a.rm", qint64(1000), -0.5, "seek 0");
    zv::test::row("not a number", "http://h/a.rm", qint64(1000), qQNaN(), "");
    zv::test::row("infinite", "http://h/a.asf", qint64(1000), qInf(), "");
}

void TestCadPlayer::seekGuards()
{
    QFETCH(QString, url);
    QFETCH(qint64, length);
    QFETCH(double, fraction);
    QFETCH(QString, call);
    TfrmPlayer frame;
    frame.Load(url);
    fake(frame)->len = length;
    log_.calls.clear();
    frame.SetPosition(fraction);
    QCOMPARE(log_.calls, call.isEmpty() ? QStringList() : QStringList{call});
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
    QVERIFY(log_.calls.isEmpty());
    QCOMPARE(spy.size(), 0);
}

void TestCadPlayer::failingEngineShowsPanel_data()
{
    zv::test::columns<QString, EngineKind>("url", "engine");
    zv::test::row("wmp", "http://h/a.asf", EngineKind::WindowsMedia);
    zv::test::row("realplayer", "ra:http://h/a", EngineKind::RealPlayer);
    zv::test::row("vlc", "http://h/a.flv", EngineKind::Vlc);
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
    log_.failStart = true;
    log_.failText = QStringLiteral("classe non enregistrée");
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
    log_.failStart = false;
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
    zv::test::columns<QString, QString>("label", "host");
    zv::test::row("wmp", "lblErrLienWMP", "microsoft.com");
    zv::test::row("realplayer", "lblErrLienRA", "real.com");
    zv::test::row("vlc", "lblErrLienVLC", "videolan.org");
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
    log_.calls.clear();
    frame.reset();
    QCOMPARE(log_.calls, QStringList({"stop", "destroyed"}));
}

QTEST_MAIN(TestCadPlayer)
#include "tst_cadplayer.moc"
