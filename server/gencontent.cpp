#include "server/gencontent.h"

#include "server/catalogue.h"
#include "server/swfwriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

namespace zvs {

namespace {

// Bumped whenever the generated output changes for the same catalogue.
constexpr int kGeneratorVersion = 7;

const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct Step {
    QString program;
    QStringList args;
};

struct Job {
    QString output; // relative to the media tree
    QVector<Step> steps;
    std::function<bool(const QString& outPath)> write; // instead of steps
};

class Generator {
public:
    Generator(const GenerateOptions& opt, const QString& tmp)
        : opt_(opt)
        , tmp_(tmp)
    {
        espeak_ = !QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty();
    }

    QVector<Job> jobs;

    QString out(const QString& rel) const { return opt_.outDir + QLatin1Char('/') + rel; }

    QString textFile(const QString& text)
    {
        const QString path = tmp_ + QStringLiteral("/t%1.txt").arg(counter_++);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
        return path;
    }

    static QString hexColour(const QString& colour)
    {
        QString c = colour;
        c.remove(QLatin1Char('#'));
        return QStringLiteral("0x") + (c.size() == 6 ? c : QStringLiteral("1d4f91"));
    }

    // A tune of a few notes; `seed` varies pitch and rhythm.
    static QString tune(int seed, int seconds, double volume = 0.25)
    {
        const int base = 220 + (seed * 37) % 220;
        const int step = 2 + seed % 3;
        return QStringLiteral(
            "aevalsrc=exprs=%1*sin(2*PI*t*(%2+%3*floor(mod(t*%4\\,4))))*(0.6+0.4*sin(2*PI*t*0.5))"
            ":s=44100:d=%5")
            .arg(volume)
            .arg(base)
            .arg(base / 4)
            .arg(step)
            .arg(seconds);
    }

    static QStringList codecArgs(const QString& file, bool video)
    {
        const QString ext = QFileInfo(file).suffix().toLower();
        QStringList a;
        if (ext == QLatin1String("mp4"))
            a << "-c:v"
              << "libx264"
              << "-preset"
              << "ultrafast"
              << "-pix_fmt"
              << "yuv420p"
              << "-c:a"
              << "aac"
              << "-b:a"
              << "96k"
              << "-movflags"
              << "+faststart"
              << "-f"
              << "mp4";
        else if (ext == QLatin1String("flv"))
            a << "-c:v"
              << "flv"
              << "-b:v"
              << "600k"
              << "-c:a"
              << "libmp3lame"
              << "-ar"
              << "44100"
              << "-b:a"
              << "96k"
              << "-f"
              << "flv";
        else if (ext == QLatin1String("wmv"))
            a << "-c:v"
              << "wmv2"
              << "-b:v"
              << "600k"
              << "-c:a"
              << "wmav2"
              << "-b:a"
              << "96k"
              << "-f"
              << "asf";
        else if (ext == QLatin1String("rm"))
            a << "-c:v"
              << "rv20"
              << "-b:v"
              << "400k"
              << "-c:a"
              << "ac3"
              << "-b:a"
              << "96k"
              << "-f"
              << "rm";
        else
            a << "-c:a"
              << "libmp3lame"
              << "-ar"
              << "44100"
              << "-b:a"
              << "96k"
              << "-id3v2_version"
              << "3"
              << "-f"
              << "mp3";
        if (!video)
            a.prepend("-vn");
        return a;
    }

    // ffmpeg, quiet and overwriting, reading `inputs`.
    static Step ffmpeg(const QStringList& inputs = {})
    {
        return {QStringLiteral("ffmpeg"), QStringList{"-hide_banner", "-loglevel", "error", "-y"} + inputs};
    }

    static QString escapeDraw(const QString& path)
    {
        QString p = path;
        return p.replace(QLatin1Char(':'), QStringLiteral("\\:"));
    }

    void video(const QString& rel, const QString& title, const QString& subtitle, const QString& colour,
        int seconds, int seed, bool pattern, const QString& size = QStringLiteral("480x272"))
    {
        const QString titleFile = textFile(title);
        const QString subFile = textFile(subtitle);
        QString source = pattern
            ? QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(size).arg(seconds)
            : QStringLiteral("color=c=%1:size=%2:rate=25:duration=%3")
                  .arg(hexColour(colour), size)
                  .arg(seconds);
        const QString filter
            = QStringLiteral(
                "drawtext=fontfile=%1:textfile=%2:fontcolor=white:fontsize=h/9:box=1:"
                "boxcolor=black@0.55:boxborderw=10:x=(w-tw)/2:y=(h-th)/2-h/12,"
                "drawtext=fontfile=%1:textfile=%3:fontcolor=white:fontsize=h/18:x=(w-tw)/2:y=h/2+h/10,"
                "drawtext=fontfile=%1:text='%{pts\\:hms}':fontcolor=yellow:fontsize=h/20:x=w-tw-10:y=10")
                  .arg(QString::fromLatin1(kFont), escapeDraw(titleFile), escapeDraw(subFile));
        Step s = ffmpeg({"-f", "lavfi", "-i", source, "-f", "lavfi", "-i", tune(seed, seconds, 0.2)});
        s.args << "-vf" << filter << "-t" << QString::number(seconds) << codecArgs(rel, true) << out(rel);
        jobs.append({rel, {s}, {}});
    }

    // Long titles go on two lines, broken at the space nearest the middle.
    static QString wrapped(const QString& title)
    {
        if (title.size() <= 12)
            return title;
        const auto middle = title.size() / 2;
        qsizetype best = -1;
        for (qsizetype i = 0; i < title.size(); ++i) {
            if (title[i] == QLatin1Char(' ') && (best < 0 || std::abs(i - middle) < std::abs(best - middle)))
                best = i;
        }
        return best < 0 ? title : title.left(best) + QLatin1Char('\n') + title.mid(best + 1);
    }

    // One frame of `source` through `filter`, as a picture file.
    void still(const QString& rel, const QString& source, const QString& filter)
    {
        Step s = ffmpeg({"-f", "lavfi", "-i", source});
        s.args << "-vf" << filter << "-frames:v"
               << "1"
               << "-update"
               << "1" << out(rel);
        jobs.append({rel, {s}, {}});
    }

    void picture(
        const QString& rel, const QString& title, const QString& colour, const QString& size, bool pattern)
    {
        const QString titleFile = textFile(wrapped(title));
        const QString source = pattern
            ? QStringLiteral("testsrc2=size=%1:rate=1:duration=1").arg(size)
            : QStringLiteral("color=c=%1:size=%2:rate=1:duration=1").arg(hexColour(colour), size);
        const QString filter
            = QStringLiteral("drawtext=fontfile=%1:textfile=%2:fontcolor=white:fontsize=h/11:box=1:"
                             "boxcolor=black@0.5:boxborderw=6:line_spacing=4:x=(w-tw)/2:y=(h-th)/2")
                  .arg(QString::fromLatin1(kFont), escapeDraw(titleFile));
        still(rel, source, filter);
    }

    // A channel logo: its initials on its colour.
    void logo(const QString& rel, const QString& name, const QString& colour)
    {
        QString initials;
        for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (initials.size() < 3 && word.at(0).isLetter())
                initials += word.at(0).toUpper();
        }
        const QString source
            = QStringLiteral("color=c=%1:size=128x128:rate=1:duration=1").arg(hexColour(colour));
        const QString filter
            = QStringLiteral("drawtext=fontfile=%1:textfile=%2:fontcolor=white:fontsize=h/2.6:"
                             "x=(w-tw)/2:y=(h-ascent)/2")
                  .arg(QString::fromLatin1(kFont), escapeDraw(textFile(initials)));
        still(rel, source, filter);
    }

    bool makes(const QString& rel) const
    {
        return std::any_of(jobs.begin(), jobs.end(), [&](const Job& j) { return j.output == rel; });
    }

    // A sound: a tune, with a French voice over it when espeak-ng is there.
    void sound(const QString& rel, const QString& spoken, int seconds, int seed, const QString& title = {},
        const QString& artist = {})
    {
        QVector<Step> steps;
        Step s = ffmpeg();
        const QString voice = tmp_ + QStringLiteral("/v%1.wav").arg(counter_++);
        if (espeak_ && !spoken.isEmpty()) {
            steps.append({QStringLiteral("espeak-ng"), {"-v", "fr", "-s", "150", "-w", voice, spoken}});
            s.args << "-i" << voice << "-f"
                   << "lavfi"
                   << "-i" << tune(seed, seconds, 0.12) << "-filter_complex"
                   << "[0:a]aresample=44100,apad[v];[v][1:a]amix=inputs=2:duration=shortest:normalize=0[a]"
                   << "-map"
                   << "[a]";
        } else {
            s.args << "-f"
                   << "lavfi"
                   << "-i" << tune(seed, seconds);
        }
        s.args << "-t" << QString::number(seconds) << "-ac"
               << "2";
        if (!title.isEmpty())
            s.args << "-metadata" << ("title=" + title);
        if (!artist.isEmpty())
            s.args << "-metadata" << ("artist=" + artist);
        s.args << codecArgs(rel, false) << out(rel);
        steps.append(s);
        jobs.append({rel, steps, {}});
    }

    void swf(const Game& g, int seed)
    {
        jobs.append({g.file, {}, [g, seed](const QString& path) {
                         QFile f(path);
                         return f.open(QIODevice::WriteOnly) && f.write(writeSwf(gameMovie(g, seed))) > 0;
                     }});
    }

    static SwfMovie gameMovie(const Game& g, int seed)
    {
        SwfMovie m;
        m.width = g.width;
        m.height = g.height;
        m.fps = 25;
        m.background = SwfColour::fromHex(g.background);
        const SwfColour colour = SwfColour::fromHex(g.colour);
        const int frames = 100;
        if (seed % 3 == 0) { // a ball bouncing off the walls, on a floor
            m.shapes.append({{QPointF(0, 0), QPointF(g.width, 0), QPointF(g.width, 12), QPointF(0, 12)},
                colour.scaled(0.6)});
            m.shapes.append({regularPolygon(24, 28), colour});
            double x = 60, y = 60, vx = 7, vy = 0;
            for (int f = 0; f < frames * 2; ++f) {
                vy += 0.9;
                x += vx;
                y += vy;
                if (x < 28 || x > g.width - 28)
                    vx = -vx;
                if (y > g.height - 40) {
                    y = g.height - 40;
                    vy = -vy * 0.95;
                }
                m.frames.append({{0, 1, QPointF(0, g.height - 12), 0, 1}, {1, 2, QPointF(x, y), 0, 1}});
            }
        } else if (seed % 3 == 1) { // a square turning along a circle
            m.shapes.append({regularPolygon(4, 50, 45), colour});
            m.shapes.append({regularPolygon(4, 20, 45), colour.scaled(1.5)});
            for (int f = 0; f < frames; ++f) {
                const double a = 2 * M_PI * f / frames;
                const QPointF c(g.width / 2.0 + std::cos(a) * g.width / 4.0,
                    g.height / 2.0 + std::sin(a) * g.height / 4.0);
                m.frames.append({{0, 1, c, f * 7.2, 1}, {1, 2, c, -f * 14.4, 1 + 0.5 * std::sin(a * 2)}});
            }
        } else { // a rocket crossing a starry sky
            QVector<QPointF> rocket = {QPointF(60, 0), QPointF(-30, -21), QPointF(-15, 0), QPointF(-30, 21)};
            m.shapes.append({rocket, colour});
            m.shapes.append({regularPolygon(5, 5), SwfColour{255, 255, 210}});
            for (int f = 0; f < frames; ++f) {
                QVector<SwfPlacement> frame;
                frame.append({0, 20,
                    QPointF(-40 + (g.width + 80.0) * f / frames, g.height / 2.0 + 40 * std::sin(f / 8.0)),
                    -20 * std::cos(f / 8.0), 1});
                for (int s = 0; s < 12; ++s) {
                    const double sx = std::fmod(s * 97.0 + (frames - f) * (1 + s % 3), g.width);
                    frame.append(
                        {1, 1 + s, QPointF(sx, 20 + (s * 53) % std::max(40, g.height - 40)), f * 10.0, 1});
                }
                m.frames.append(frame);
            }
        }
        return m;
    }

private:
    const GenerateOptions& opt_;
    QString tmp_;
    bool espeak_ = false;
    int counter_ = 0;
};

bool runStep(const Step& s, QString* error)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(s.program, s.args);
    if (!p.waitForStarted(30000)) {
        *error = s.program + QStringLiteral(": cannot start");
        return false;
    }
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = s.program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll()).trimmed();
        return false;
    }
    return true;
}

} // namespace

int generateContent(const GenerateOptions& opt)
{
    const QString cataloguePath = opt.contentDir + QStringLiteral("/catalogue.json");
    QFile catFile(cataloguePath);
    if (!catFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zevalo-gencontent: cannot read %s\n", qPrintable(cataloguePath));
        return 1;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(catFile.readAll());
    hash.addData(QByteArray::number(kGeneratorVersion));
    const QByteArray stamp = hash.result().toHex();
    const QString stampPath = opt.outDir + QStringLiteral("/.stamp");

    Catalogue cat;
    try {
        cat = loadCatalogue(cataloguePath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zevalo-gencontent: %s\n", e.what());
        return 1;
    }

    QTemporaryDir tmp;
    if (!tmp.isValid() || !QDir().mkpath(opt.outDir)) {
        std::fprintf(stderr, "zevalo-gencontent: cannot create %s\n", qPrintable(opt.outDir));
        return 1;
    }
    Generator g(opt, tmp.path());

    int seed = 0;
    for (const Channel& c : cat.tv) {
        g.video(c.file, c.name, QStringLiteral("Zevalo Multimédia · direct"), c.colour, 6, seed++, false);
        // A still of each channel for the home pages.
        g.picture(QFileInfo(c.file).path() + QLatin1Char('/') + QFileInfo(c.file).completeBaseName()
                + QStringLiteral(".jpg"),
            c.name, c.colour, QStringLiteral("240x136"), false);
    }
    for (const Channel& c : cat.clips)
        g.video(c.file, c.name.section(QStringLiteral(" - "), 1), c.name.section(QStringLiteral(" - "), 0, 0),
            c.colour, 8, seed++, true);
    for (const Channel& c : cat.radios)
        g.sound(c.file, QStringLiteral("Vous écoutez %1, la radio de Zevalo Multimédia.").arg(c.name), 12,
            seed++, c.name, QStringLiteral("Zevalo"));
    for (const Track& t : cat.tracks)
        g.sound(t.file, QStringLiteral("%1, par %2.").arg(t.title, t.artist), t.seconds, seed++, t.title,
            t.artist);
    for (const Video& v : cat.videos) {
        g.video(v.file, v.title, QStringLiteral("Vidéos Zevalo"), QString(), v.seconds, seed++, true,
            QStringLiteral("320x240"));
        g.picture(v.thumbnail, v.title, QString(), QStringLiteral("160x120"), true);
    }
    const QStringList podcastColours = {"#1d4f91", "#ad1457", "#2e7d32", "#6a1b9a", "#ef6c00", "#00838f"};
    for (const Podcast& p : cat.podcasts) {
        const QString colour = podcastColours[p.id % podcastColours.size()];
        if (!p.image.isEmpty())
            g.picture(p.image, p.title, colour, QStringLiteral("200x200"), false);
        for (const Episode& e : p.episodes) {
            if (e.file.endsWith(QLatin1String(".mp4")))
                g.video(e.file, e.title, p.title, colour, 6, seed++, false, QStringLiteral("320x240"));
            else
                g.sound(e.file, QStringLiteral("%1. %2.").arg(p.title, e.title), 8, seed++, e.title, p.title);
        }
    }
    g.picture(QStringLiteral("podcasts/autre.png"), QStringLiteral("iTunes"), QStringLiteral("#555555"),
        QStringLiteral("200x200"), false);
    for (const ListChannel& c : cat.ownList.channels)
        g.logo(c.logo, c.name, c.colour);
    // Own-podcast episodes of their own (the others reuse the demo's media).
    for (const OwnPodcast& p : cat.ownPodcasts) {
        for (const OwnEpisode& e : p.episodes) {
            if (!g.makes(e.file))
                g.sound(e.file, QStringLiteral("%1. %2. %3").arg(p.title, e.title, e.description), e.seconds,
                    seed++, e.title, p.title);
        }
    }
    int gameSeed = 0;
    for (const Game& game : cat.games) {
        if (game.kind == QLatin1String("swf"))
            g.swf(game, gameSeed++);
    }

    QVector<Job>& jobs = g.jobs;
    bool complete = !opt.force;
    if (complete) {
        QFile s(stampPath);
        complete = s.open(QIODevice::ReadOnly) && s.readAll().trimmed() == stamp;
    }
    for (const Job& j : jobs) {
        if (complete && !QFileInfo::exists(g.out(j.output)))
            complete = false;
    }
    if (complete) {
        if (!opt.quiet)
            std::printf(
                "zevalo-gencontent: %s is up to date (%d files)\n", qPrintable(opt.outDir), int(jobs.size()));
        return 0;
    }
    QFile::remove(stampPath);

    for (const Job& j : jobs)
        QDir().mkpath(QFileInfo(g.out(j.output)).absolutePath());

    std::atomic<int> next{0};
    std::atomic<int> failures{0};
    std::mutex printMutex;
    auto worker = [&] {
        for (;;) {
            const int i = next++;
            if (i >= jobs.size())
                return;
            const Job& j = jobs[i];
            QString error;
            bool ok = true;
            if (j.write) {
                ok = j.write(g.out(j.output));
                if (!ok)
                    error = QStringLiteral("cannot write");
            }
            for (const Step& s : j.steps) {
                if (!(ok = runStep(s, &error)))
                    break;
            }
            std::lock_guard lock(printMutex);
            if (!ok) {
                ++failures;
                std::fprintf(stderr, "zevalo-gencontent: %s: %s\n", qPrintable(j.output), qPrintable(error));
            }
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < std::max(1, opt.jobs); ++t)
        threads.emplace_back(worker);
    for (auto& t : threads)
        t.join();
    if (failures > 0)
        return 1;

    QFile s(stampPath);
    if (s.open(QIODevice::WriteOnly))
        s.write(stamp + '\n');
    if (!opt.quiet)
        std::printf("zevalo-gencontent: %d files made in %s\n", int(jobs.size()), qPrintable(opt.outDir));
    return 0;
}

} // namespace zvs
