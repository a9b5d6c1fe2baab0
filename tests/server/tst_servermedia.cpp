// The generated demo media: every file the catalogue names exists and plays.
#include "server/catalogue.h"
#include "support/table.h"
#include "swfcheck.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace {

QString media(const QString& rel)
{
    return QStringLiteral(ZV_TEST_MEDIA "/") + rel;
}

struct Probe {
    bool ok = false;
    QString format;
    double duration = 0;
    QString output;
};

Probe probe(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
        {"-v", "error", "-show_entries", "format=format_name,duration", "-of", "default=noprint_wrappers=1",
            file});
    Probe r;
    if (!p.waitForFinished(60000))
        return r;
    r.output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    for (const QString& line : r.output.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("format_name=")))
            r.format = line.mid(12);
        if (line.startsWith(QLatin1String("duration=")))
            r.duration = line.mid(9).toDouble();
    }
    return r;
}

// One row per generated file whose name matches `pattern`.
void mediaRows(const QString& pattern)
{
    QTest::addColumn<QString>("file");
    QDirIterator it(QStringLiteral(ZV_TEST_MEDIA), {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        zv::test::row(qPrintable(QFileInfo(path).fileName()), path);
    }
}

} // namespace

class TestServerMedia : public QObject {
    Q_OBJECT

private slots:
    void catalogueFilesExist()
    {
        const zvs::Catalogue cat = zvs::loadCatalogue(QStringLiteral(ZV_TEST_CONTENT "/catalogue.json"));
        QStringList files;
        for (const auto* list : {&cat.tv, &cat.radios, &cat.clips}) {
            for (const auto& c : *list)
                files << c.file;
        }
        for (const auto& b : cat.bouquets) {
            for (const auto& e : b.entries)
                files << e.file;
        }
        for (const auto& t : cat.tracks)
            files << t.file;
        for (const auto& v : cat.videos)
            files << v.file << v.thumbnail;
        for (const auto& p : cat.podcasts) {
            if (!p.image.isEmpty())
                files << p.image;
            for (const auto& e : p.episodes)
                files << e.file;
        }
        for (const auto& c : cat.ownList.channels)
            files << c.file << c.logo;
        for (const auto& p : cat.ownPodcasts) {
            files << p.image;
            for (const auto& e : p.episodes)
                files << e.file;
        }
        for (const auto& g : cat.games) {
            if (g.kind == QLatin1String("swf"))
                files << g.file;
            else
                QVERIFY2(QFileInfo::exists(QStringLiteral(ZV_TEST_CONTENT "/") + g.file), qPrintable(g.file));
        }
        QVERIFY(files.size() > 80);
        for (const QString& f : files)
            QVERIFY2(QFileInfo(media(f)).size() > 0, qPrintable(f));
        QVERIFY(cat.tracks.size() > 20); // more than one search answer
        QVERIFY(cat.videos.size() > 24); // more than two video pages
    }

    void everyFilePlays_data()
    {
        QTest::addColumn<QString>("file");
        QDirIterator it(QStringLiteral(ZV_TEST_MEDIA), QDir::Files, QDirIterator::Subdirectories);
        int n = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String(".swf"))
                || QFileInfo(path).fileName().startsWith(QLatin1Char('.')))
                continue;
            zv::test::row(qPrintable(QDir(QStringLiteral(ZV_TEST_MEDIA)).relativeFilePath(path)), path);
            ++n;
        }
        QVERIFY(n > 80);
    }

    void everyFilePlays()
    {
        QFETCH(QString, file);
        const Probe p = probe(file);
        QVERIFY2(p.ok, qPrintable(p.output));
        const QString ext = QFileInfo(file).suffix();
        static const QMap<QString, QString> formats = {
            {"mp4", "mp4"},
            {"flv", "flv"},
            {"wmv", "asf"},
            {"rm", "rm"},
            {"mp3", "mp3"},
            {"jpg", "image2"},
            {"png", "png"},
        };
        const bool jpeg = ext == QLatin1String("jpg") && p.format.contains(QLatin1String("jpeg"));
        QVERIFY2(jpeg || p.format.contains(formats.value(ext, QStringLiteral("?"))), qPrintable(p.format));
        // Short, except the own-podcast episodes, which last what their feeds say.
        static const zvs::Catalogue cat
            = zvs::loadCatalogue(QStringLiteral(ZV_TEST_CONTENT "/catalogue.json"));
        int declared = 0;
        for (const auto& own : cat.ownPodcasts) {
            for (const auto& e : own.episodes)
                declared = file.endsWith(QLatin1Char('/') + e.file) ? e.seconds : declared;
        }
        if (declared > 0)
            QVERIFY2(std::abs(p.duration - declared) <= 1, qPrintable(QString::number(p.duration)));
        else if (ext != QLatin1String("jpg") && ext != QLatin1String("png"))
            QVERIFY2(p.duration >= 3 && p.duration <= 20, qPrintable(QString::number(p.duration)));
    }

    void realMediaPlaysInMpv_data() { mediaRows(QStringLiteral("*.rm")); }

    void realMediaPlaysInMpv()
    {
        QFETCH(QString, file);
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("mpv"), {"--no-config", "--vo=null", "--ao=null", "--untimed", file});
        QVERIFY(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAll());
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(out.contains(QLatin1String("End of file")), qPrintable(out.right(300)));
    }

    void flashGamesAreWellFormed_data() { mediaRows(QStringLiteral("*.swf")); }

    void flashGamesAreWellFormed()
    {
        QFETCH(QString, file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const SwfSummary s = readSwf(f.readAll());
        QVERIFY2(s.valid, s.error.constData());
        QVERIFY(s.tags.contains(9)); // background colour
        QVERIFY(s.tags.contains(2)); // shape
        QVERIFY(s.tags.contains(26)); // placement
        QCOMPARE(int(s.tags.count(1)), s.frameCount);
        QVERIFY(s.frameCount > 1);
        QVERIFY(s.widthTwips > 0 && s.heightTwips > 0);
    }
};

QTEST_GUILESS_MAIN(TestServerMedia)
#include "tst_servermedia.moc"
