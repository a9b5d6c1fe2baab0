#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/browser/shockwaveflash.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

using namespace zv::test;

namespace {

// The smallest movie: header, SetBackgroundColor, ShowFrame, End.
QByteArray makeSwf(QColor background, int widthPx = 200, int heightPx = 150)
{
    QByteArray rect;
    // RECT: 5 bits of field size, then xmin, xmax, ymin, ymax in twips.
    const int nbits = 16;
    quint64 bits = 0;
    int count = 0;
    auto put = [&](quint32 value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            bits = (bits << 1) | ((value >> i) & 1);
            if (++count == 8) {
                rect.append(char(bits & 0xff));
                bits = 0;
                count = 0;
            }
        }
    };
    put(nbits, 5);
    put(0, nbits);
    put(widthPx * 20, nbits);
    put(0, nbits);
    put(heightPx * 20, nbits);
    if (count > 0)
        put(0, 8 - count);

    QByteArray body = rect;
    auto u16 = [&](quint16 v) {
        body.append(char(v & 0xff));
        body.append(char(v >> 8));
    };
    u16(24 << 8); // 24 frames a second, 8.8 fixed point
    u16(1); // one frame
    u16((9 << 6) | 3); // SetBackgroundColor
    body.append(char(background.red()));
    body.append(char(background.green()));
    body.append(char(background.blue()));
    u16(1 << 6); // ShowFrame
    u16(0); // End

    QByteArray swf = "FWS";
    swf.append(char(10));
    const quint32 length = quint32(8 + body.size());
    for (int i = 0; i < 4; ++i)
        swf.append(char((length >> (8 * i)) & 0xff));
    return swf + body;
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 && qAbs(a.blue() - b.blue()) < 12;
}

} // namespace

class TstShockwaveFlash : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void signature_data();
    void signature();
    void playsAMovie();
    void playsALocalFile();
    void badMovies_data();
    void badMovies();
    void ruffleMissing();
    void ruffleBroken();
    void fillsItsParent();
    void destroyedWhileFetching();

private:
    ScriptedServer server_;
};

void TstShockwaveFlash::initTestCase()
{
    QVERIFY2(!TShockwaveFlash::ruffleDir().isEmpty(), "Ruffle is not installed in the build tree");
    server_.on("/jeux/vert.swf", Reply::ok(makeSwf(QColor(0, 200, 0)), "application/x-shockwave-flash"));
    server_.on("/jeux/texte.swf", Reply::ok("<html>pas un jeu</html>", "text/html"));
    server_.on("/jeux/vide.swf", Reply::ok(QByteArray(), "application/x-shockwave-flash"));
    server_.on("/jeux/erreur.swf", Reply::status(500, "FWS oops"));
}

void TstShockwaveFlash::signature_data()
{
    zv::test::columns<QByteArray, bool>("data", "swf");
    zv::test::row("uncompressed", makeSwf(Qt::red), true);
    zv::test::row("zlib", QByteArray("CWS\x0a\x10\0\0\0xxxx", 12), true);
    zv::test::row("lzma", QByteArray("ZWS\x0d\x10\0\0\0xxxx", 12), true);
    zv::test::row("html", QByteArray("<html></html>"), false);
    zv::test::row("empty", QByteArray(), false);
    zv::test::row("signature only", QByteArray("FWS"), false);
    zv::test::row("lower case", QByteArray("fws\x0a\x10\0\0\0", 8), false);
}

void TstShockwaveFlash::signature()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, swf);
    QCOMPARE(TShockwaveFlash::isSwf(data), swf);
}

void TstShockwaveFlash::playsAMovie()
{
    QWidget panJeu;
    panJeu.resize(300, 220);
    TShockwaveFlash sw(&panJeu);
    sw.setFillParent(true);
    QSignalSpy started(&sw, &TShockwaveFlash::MovieStarted);
    sw.LoadMovie(QString::fromLatin1(server_.hostPort() + "/jeux/vert.swf")); // a portal address, no scheme
    sw.show();
    panJeu.show();
    QVERIFY(started.wait(60000));
    QVERIFY(sw.errorMessage().isEmpty());
    QVERIFY(sw.isPlaying());
    QCOMPARE(sw.geometry(), panJeu.rect());
    // Ruffle paints the movie's background colour.
    QTRY_VERIFY_WITH_TIMEOUT(
        near(sw.view()->grab().toImage().pixelColor(150, 110), QColor(0, 200, 0)), 60000);
}

void TstShockwaveFlash::playsALocalFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bleu.swf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(makeSwf(QColor(0, 0, 220)));
    f.close();

    TShockwaveFlash sw;
    sw.resize(200, 150);
    sw.show();
    QSignalSpy started(&sw, &TShockwaveFlash::MovieStarted);
    sw.LoadMovie(path);
    QVERIFY(started.count() > 0 || started.wait(60000));
    QTRY_VERIFY_WITH_TIMEOUT(near(sw.view()->grab().toImage().pixelColor(100, 75), QColor(0, 0, 220)), 60000);
}

void TstShockwaveFlash::badMovies_data()
{
    zv::test::columns<QString, QString>("address", "detail");
    const QString host = QString::fromLatin1(server_.hostPort());
    zv::test::row("not a swf", host + "/jeux/texte.swf", "pas une animation Flash");
    zv::test::row("empty answer", host + "/jeux/vide.swf", "pas une animation Flash");
    zv::test::row("missing", "http://" + host + "/jeux/absent.swf", "404");
    zv::test::row("server error", host + "/jeux/erreur.swf", "500");
    zv::test::row("nobody listening", "127.0.0.1:1/jeux/x.swf", "injoignable");
    zv::test::row("local file missing", "/nonexistent/jeu.swf", "");
    zv::test::row("other scheme", "ftp://127.0.0.1/jeu.swf", "");
}

void TstShockwaveFlash::badMovies()
{
    QFETCH(QString, address);
    QFETCH(QString, detail);
    TShockwaveFlash sw;
    sw.resize(300, 200);
    QSignalSpy failed(&sw, &TShockwaveFlash::MovieFailed);
    QSignalSpy started(&sw, &TShockwaveFlash::MovieStarted);
    sw.LoadMovie(address);
    QVERIFY(failed.count() > 0 || failed.wait(30000));
    QCOMPARE(started.count(), 0);
    QVERIFY2(sw.errorMessage().startsWith(QStringLiteral("Impossible de charger le jeu : ")),
        qPrintable(sw.errorMessage()));
    QVERIFY2(sw.errorMessage().contains(detail), qPrintable(sw.errorMessage()));
    // The message is what the control shows.
    auto* label = sw.findChild<QLabel*>();
    QVERIFY(label && label->isVisibleTo(&sw));
    QCOMPARE(label->text(), sw.errorMessage());
    QVERIFY(!sw.view()->isVisibleTo(&sw));
}

void TstShockwaveFlash::ruffleMissing()
{
    qputenv("ZEVALO_RUFFLE_DIR", "/nonexistent/ruffle");
    TShockwaveFlash sw;
    QVERIFY(TShockwaveFlash::ruffleDir().isEmpty());
    sw.LoadMovie(QString::fromLatin1(server_.hostPort() + "/jeux/vert.swf"));
    qunsetenv("ZEVALO_RUFFLE_DIR");
    QVERIFY(sw.errorMessage().contains(QStringLiteral("Ruffle")));
    QVERIFY(sw.errorMessage().contains(QStringLiteral("n'est pas installé")));
}

void TstShockwaveFlash::ruffleBroken()
{
    QTemporaryDir dir;
    QFile js(dir.filePath(QStringLiteral("ruffle.js")));
    QVERIFY(js.open(QIODevice::WriteOnly));
    js.write("// not the player\n");
    js.close();
    qputenv("ZEVALO_RUFFLE_DIR", dir.path().toLocal8Bit());
    TShockwaveFlash sw;
    QSignalSpy failed(&sw, &TShockwaveFlash::MovieFailed);
    QSignalSpy started(&sw, &TShockwaveFlash::MovieStarted);
    sw.LoadMovie(server_.address("/jeux/vert.swf"));
    const bool gotFailure = failed.wait(60000);
    qunsetenv("ZEVALO_RUFFLE_DIR");
    QVERIFY(gotFailure);
    QCOMPARE(started.count(), 0);
    QCOMPARE(
        sw.errorMessage(), QStringLiteral("Impossible de lancer le jeu : le lecteur Flash ne démarre pas."));
}

void TstShockwaveFlash::fillsItsParent()
{
    QWidget a, b;
    a.resize(320, 200);
    b.resize(500, 400);
    a.show(); // resize events reach shown widgets only
    b.show();
    TShockwaveFlash sw(&a);
    sw.setFillParent(true);
    QCOMPARE(sw.geometry(), a.rect());
    a.resize(640, 480);
    QCOMPARE(sw.geometry(), QRect(0, 0, 640, 480));
    // Re-seated on another panel, as the game window does on maximise.
    sw.setParent(nullptr);
    sw.setParent(&b);
    QCOMPARE(sw.geometry(), b.rect());
    a.resize(100, 100);
    QCOMPARE(sw.geometry(), b.rect());
    b.resize(800, 600);
    QCOMPARE(sw.geometry(), QRect(0, 0, 800, 600));
}

void TstShockwaveFlash::destroyedWhileFetching()
{
    server_.on("/jeux/lent.swf", Reply::ok(makeSwf(Qt::red), "application/x-shockwave-flash"));
    auto* sw = new TShockwaveFlash;
    sw->LoadMovie(server_.address("/jeux/lent.swf"));
    delete sw;
    QTest::qWait(300);

    // A second movie replaces the first while it is on its way.
    TShockwaveFlash sw2;
    QSignalSpy failed(&sw2, &TShockwaveFlash::MovieFailed);
    sw2.LoadMovie(server_.address("/jeux/vert.swf"));
    sw2.LoadMovie(server_.address("/jeux/texte.swf"));
    QVERIFY(failed.wait(30000));
    QTest::qWait(300);
    QCOMPARE(failed.count(), 1);
    QVERIFY(sw2.errorMessage().contains(QStringLiteral("pas une animation Flash")));
}

QTEST_MAIN(TstShockwaveFlash)
#include "tst_shockwaveflash.moc"
