// On a real X display: each engine's picture shows inside the frame, goes full
// screen and comes back while playback goes on.
#include "base/errors.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/player/cadplayer.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// Share of the pixels that are bright: the test picture is mostly colour bars,
// an empty player is black.
double brightShare(const QImage& image)
{
    if (image.isNull())
        return 0;
    const QImage img = image.convertToFormat(QImage::Format_RGB32).scaled(80, 60);
    int bright = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) > 150)
                ++bright;
        }
    return double(bright) / (img.width() * img.height());
}

QImage grab(QWidget* widget)
{
    const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return widget->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
}

} // namespace

class TestPlayerVideo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pictureInFrameAndFullScreen_data();
    void pictureInFrameAndFullScreen();
    void firstPictureComesWithTheSound_data();
    void firstPictureComesWithTheSound();
    void pictureKeepsItsProportions_data();
    void pictureKeepsItsProportions();

private:
    // The three engines, Windows Media Player's playing `wmpFile`.
    static void addEngineRows(const char* wmpFile);
    // A frame of `size` in `window` that plays `url` (%1: the media server),
    // the window shown before the start or left for the test to show; null
    // when it does not play.
    TfrmPlayer* play(QWidget& window, QSize size, const QString& url, bool showFirst = true);

    QTemporaryDir dir_;
    std::unique_ptr<zv::test::FileServer> server_;
};

void TestPlayerVideo::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display");
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is needed to make the test media");
    const QStringList input{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=8", "-f", "lavfi",
        "-i", "sine=duration=8"};
    for (const QStringList& out : {QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac",
                                       "-movflags", "+faststart", "-shortest", dir_.filePath("clip.mp4")},
             QStringList{"-shortest", "-f", "rm", dir_.filePath("clip.rm")},
             QStringList{
                 "-c:v", "wmv2", "-c:a", "wmav2", "-shortest", "-f", "asf", dir_.filePath("clip.wmv")}}) {
        QProcess p;
        p.start(ffmpeg, QStringList{"-loglevel", "error", "-y"} + input + out);
        QVERIFY(p.waitForFinished(120000) && p.exitCode() == 0);
    }
    server_ = std::make_unique<zv::test::FileServer>(dir_.path());
    QVERIFY(server_->isListening());
}

void TestPlayerVideo::addEngineRows(const char* wmpFile)
{
    QTest::addColumn<QString>("url");
    zv::test::row("wmp: Qt Multimedia", QStringLiteral("wmp:%1") + QLatin1String(wmpFile));
    zv::test::row("ra: libmpv", "%1clip.rm");
    zv::test::row("vlc: libVLC", "%1clip.mp4");
}

TfrmPlayer* TestPlayerVideo::play(QWidget& window, QSize size, const QString& url, bool showFirst)
{
    window.resize(size + QSize(50, 100));
    auto* frame = new TfrmPlayer(&window);
    frame->setGeometry(QRect(QPoint(20, 20), size));
    if (showFirst) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window) || brightShare(grab(frame)) != 0.0)
            return nullptr;
    }
    frame->Load(url.arg(server_->url(QString()).toString()));
    frame->Play();
    const bool playing
        = QTest::qWaitFor([frame] { return frame->IsPlaying() && frame->GetPosition() > 0.05; }, 20000);
    return playing ? frame : nullptr;
}

void TestPlayerVideo::pictureInFrameAndFullScreen_data()
{
    addEngineRows("clip.mp4");
}

void TestPlayerVideo::pictureInFrameAndFullScreen()
{
    QFETCH(QString, url);
    QWidget window;
    TfrmPlayer* frame = play(window, QSize(293, 200), url);
    QVERIFY(frame);
    QTRY_VERIFY_WITH_TIMEOUT(brightShare(grab(frame)) > 0.4, 10000);

    frame->FullScreen();
    PlayerEngine* control = frame->playerControl();
    QVERIFY(control->isFullScreen());
    QWidget* full = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isFullScreen())
            full = w;
    QVERIFY(full);
    QTRY_COMPARE_WITH_TIMEOUT(full->geometry(), full->screen()->geometry(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(brightShare(grab(full)) > 0.4, 10000);

    QTest::keyClick(full, Qt::Key_Escape);
    QVERIFY(!control->isFullScreen());
    QTest::qWait(500);
    QVERIFY(frame->IsPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(brightShare(grab(frame)) > 0.4, 10000);
    const double before = frame->GetPosition();
    QTRY_VERIFY_WITH_TIMEOUT(frame->GetPosition() > before, 10000);
    frame->Load(QString());
}

void TestPlayerVideo::firstPictureComesWithTheSound_data()
{
    addEngineRows("clip.wmv");
}

void TestPlayerVideo::firstPictureComesWithTheSound()
{
    QFETCH(QString, url);
    // The stream starts while the frame is not on screen yet (a section that
    // is still being laid out): once shown, the picture comes, and the
    // stream goes on from where it was, never from the start again.
    QWidget window;
    TfrmPlayer* frame = play(window, QSize(293, 200), url, false);
    QVERIFY(frame);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    double last = frame->GetPosition();
    bool restarted = false;
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
        const double now = frame->GetPosition();
        restarted = restarted || now < last;
        last = now;
        return brightShare(grab(frame)) > 0.4;
    }()),
        10000);
    QVERIFY(!restarted);
    frame->Load(QString());
}

void TestPlayerVideo::pictureKeepsItsProportions_data()
{
    addEngineRows("clip.mp4");
}

void TestPlayerVideo::pictureKeepsItsProportions()
{
    QFETCH(QString, url);
    // A 4:3 picture in a frame three times wider than high is 200 pixels wide,
    // with 125 pixels of black on either side: fitted, never stretched.
    QWidget window;
    TfrmPlayer* frame = play(window, QSize(450, 150), url);
    QVERIFY(frame);
    const auto band = [frame](int x) { return grab(frame).copy(x, 0, 100, frame->height()); };
    QTRY_VERIFY_WITH_TIMEOUT(brightShare(band(175)) > 0.4, 10000);
    QCOMPARE(brightShare(band(0)), 0.0);
    QCOMPARE(brightShare(band(350)), 0.0);
    frame->Load(QString());
}

QTEST_MAIN(TestPlayerVideo)
#include "tst_playervideo.moc"
