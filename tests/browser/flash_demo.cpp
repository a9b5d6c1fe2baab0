// The Flash host to look at: a generated movie playing beside a movie that is
// no SWF (its French message). With an argument, plays that movie instead.
#include "ui/browser/shockwaveflash.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QTemporaryDir>

namespace {

QByteArray greenMovie()
{
    // A 200 x 150 px movie of one green frame.
    QByteArray swf = QByteArray::fromHex("4657530a00000000" // signature, version, length (below)
                                         "8000007d0000005dc0" // RECT 0..4000 x 0..3000 twips
                                         "00180100" // 24 fps, 1 frame
                                         "4302"
                                         "00c800" // SetBackgroundColor
                                         "4000"
                                         "0000"); // ShowFrame, End
    const quint32 n = quint32(swf.size());
    for (int i = 0; i < 4; ++i)
        swf[4 + i] = char((n >> (8 * i)) & 0xff);
    return swf;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString movie = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("vert.swf"));
    const QString notSwf = dir.filePath(QStringLiteral("texte.swf"));
    if (argc <= 1) {
        QFile f(movie);
        if (f.open(QIODevice::WriteOnly))
            f.write(greenMovie());
    }
    QFile t(notSwf);
    if (t.open(QIODevice::WriteOnly))
        t.write("<html>pas un jeu</html>");
    t.close();

    QWidget w;
    w.setWindowTitle(QStringLiteral("Zevalo Multimédia — jeu"));
    auto* layout = new QHBoxLayout(&w);
    auto* good = new TShockwaveFlash;
    auto* bad = new TShockwaveFlash;
    layout->addWidget(good);
    layout->addWidget(bad);
    w.resize(640, 260);
    w.show();
    good->LoadMovie(movie);
    bad->LoadMovie(notSwf);
    return app.exec();
}
