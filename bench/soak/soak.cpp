// Soak: the real main window against the demo portal (its own process, with
// generated media) for a bounded run of identical cycles. Each cycle switches
// sections 20 times, plays and stops 6 streams (two per engine), loads every
// bouquet, downloads one MP3 and opens and closes one game window. After each
// cycle: resident memory, open file descriptors and threads of this process.
// Passes when, at the end, resident memory is within 10 % of its value after
// the first cycle, descriptors and threads have not grown, and no message box
// ever showed. Also printed: what malloc counts as in use, and what it holds
// from the system (freed memory it keeps for reuse included), to tell a leak
// from memory the allocator keeps.
// Usage: bench_soak [CYCLES [PARTS]]   (default 50 cycles: 1,000 switches, 300
// plays, 250 bouquets, 50 downloads, 50 games; PARTS, to look at one kind of
// work alone: a comma-separated subset of switch,play,bouquet,download,game;
// play-wmp, play-ra, play-vlc for one engine's plays). Needs a display (xvfb-run) and
// the media of server/content/generated (zevalo-gencontent --out server/content/generated).
#include "app/startup.h"
#include "bench/procstatus.h"
#include "portal/cp1252.h"
#include "portalprocess.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/fenprinc.h"
#include "ui/player/enginechoice.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenjeu.h"
#include "ui/windows/fentelechargement.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <malloc.h>
#include <optional>

using namespace zv::test;

namespace {

struct Sample {
    qint64 rssKb = 0;
    qint64 heapKb = 0; // allocated and not freed, as malloc counts it
    qint64 arenaKb = 0; // what malloc holds from the system, free parts included
    int fds = 0;
    int threads = 0;
};

qint64 statusValue(const char* key)
{
    return procStatusValue(key);
}

Sample sample()
{
    const struct mallinfo2 heap = mallinfo2();
    return {statusValue("VmRSS:"), qint64((heap.uordblks + heap.hblkhd) / 1024),
        qint64((heap.arena + heap.hblkhd) / 1024), int(QDir(QStringLiteral("/proc/self/fd")).count()) - 2,
        int(statusValue("Threads:"))};
}

// Runs the event loop until the condition holds; false when it never did.
bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class Soak {
public:
    Soak(TfmPrinc* w, const QString& parts)
        : w_(w)
        , parts_(parts.split(QLatin1Char(',')))
    {
        // Message boxes are counted and closed; game windows closed once shown a while.
        QObject::connect(&watcher_, &QTimer::timeout, [this] { watch(); });
        watcher_.start(100);
        TfmTelechargement::setSaveDialog(
            [this](TfmTelechargement*, const QString& proposed) { return downloads_.filePath(proposed); });
    }

    int messageBoxes() const { return boxes_; }
    QString failure() const { return failure_; }

    bool findStreams()
    {
        for (TBtnGraph* section : {w_->btnFctRadio, w_->btnFctTele}) {
            emit section->clicked();
            const auto& rows = w_->lvListeCanauxModel->rows();
            for (int i = 0; i < int(rows.size()); ++i) {
                const EngineKind kind = ChooseEngine(zv::fromCp1252(rows[size_t(i)].url)).engine;
                if (!streams_[int(kind)])
                    streams_[int(kind)] = Stream{section, i};
            }
        }
        for (const auto& s : streams_) {
            if (!s)
                return fail(QStringLiteral("no stream for one of the engines"));
        }
        return true;
    }

    bool cycle()
    {
        const QList<TBtnGraph*> sections = {w_->btnFctAccueil, w_->btnFctTele, w_->btnFctClipVideo,
            w_->btnFctRadio, w_->btnFctJeux, w_->btnFctChat, w_->btnFctVideo, w_->btnFctMOD};
        for (int i = 0; i < 20 && parts_.contains(u"switch"); ++i) {
            emit sections[(switches_++) % sections.size()]->clicked();
            QCoreApplication::processEvents();
        }
        static const char* const engines[] = {"play-wmp", "play-ra", "play-vlc"}; // EngineKind's order
        for (int round = 0; round < 2; ++round) {
            for (int e = 0; e < 3; ++e) {
                if ((parts_.contains(u"play") || parts_.contains(QLatin1String(engines[e])))
                    && !play(*streams_[e]))
                    return false;
            }
        }
        return (!parts_.contains(u"bouquet") || loadBouquets())
            && (!parts_.contains(u"download") || download()) && (!parts_.contains(u"game") || playGame());
    }

private:
    struct Stream {
        TBtnGraph* section;
        int row;
    };

    bool fail(const QString& what)
    {
        failure_ = what;
        return false;
    }

    void watch()
    {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                ++boxes_;
                std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
                box->done(QMessageBox::Ok);
            }
            if (auto* game = qobject_cast<TfmJeu*>(top); game && game->isVisible()) {
                if (!gameShown_.isValid())
                    gameShown_.start();
                else if (gameShown_.elapsed() > 1500) {
                    gameShown_.invalidate();
                    ++gamesClosed_;
                    game->btnFermerClick();
                }
            }
        }
    }

    bool play(const Stream& s)
    {
        emit s.section->clicked();
        w_->SelectListeCanauxRow(s.row);
        emit w_->lvListeCanaux->doubleClicked(w_->lvListeCanauxModel->index(s.row));
        if (!waitFor([this] { return w_->btnLecture->Enfonce(); }, 60000))
            return fail(QStringLiteral("%1 never played (%2)")
                            .arg(zv::fromCp1252(w_->lvListeCanauxModel->rows()[size_t(s.row)].url),
                                w_->lblStatutPlayer->text()));
        emit w_->btnLecture->clicked();
        if (!waitFor([this] { return !w_->btnLecture->Enfonce(); }, 30000))
            return fail(QStringLiteral("%1 never stopped").arg(w_->lblStatutPlayer->text()));
        return true;
    }

    bool loadBouquets()
    {
        emit w_->btnFctTele->clicked();
        for (int b = w_->cmbBouquet->count() - 1; b >= 0; --b) {
            w_->cmbBouquet->setCurrentIndex(b);
            emit w_->cmbBouquet->activated(b);
            if (w_->lvListeCanauxModel->rowCount() == 0)
                return fail(QStringLiteral("bouquet %1 is empty").arg(b));
        }
        return true;
    }

    bool download()
    {
        emit w_->btnFctMOD->clicked();
        w_->pcMOD->setCurrentWidget(w_->tsMODRecherche);
        w_->edtMODRecherche->clear();
        emit w_->btnMODRecherche->clicked();
        if (rowCount(w_->lvMODRecherche) == 0)
            return fail(QStringLiteral("the MP3 search found nothing"));
        select(w_->lvMODRecherche, at(w_->lvMODRecherche, 0));
        emit w_->btnMODRechercheTelecharger->clicked(); // returns once the file is saved
        const QStringList saved = QDir(downloads_.path()).entryList(QDir::Files);
        if (saved.size() != 1 || QFileInfo(downloads_.filePath(saved.first())).size() == 0)
            return fail(QStringLiteral("the download left %1 files").arg(saved.size()));
        QFile::remove(downloads_.filePath(saved.first()));
        return true;
    }

    bool playGame()
    {
        emit w_->btnFctJeux->clicked();
        QTreeView* tree = w_->tvListeJeux;
        if (rowCount(tree) == 0)
            return fail(QStringLiteral("no game category"));
        const QModelIndex category = at(tree, 0);
        if (rowCount(tree, category) == 0)
            activate(tree, category);
        if (rowCount(tree, category) == 0)
            return fail(QStringLiteral("category %1 has no game").arg(category.data().toString()));
        const QString game = at(tree, 0, category).data().toString();
        select(tree, at(tree, 0, category));
        const int closed = gamesClosed_;
        emit w_->btnJouer->clicked(); // returns once the game window has closed
        if (gamesClosed_ != closed + 1)
            return fail(QStringLiteral("no game window for %1").arg(game));
        return true;
    }

    TfmPrinc* w_;
    QStringList parts_;
    QTimer watcher_;
    QElapsedTimer gameShown_;
    QTemporaryDir downloads_;
    std::optional<Stream> streams_[3];
    int switches_ = 0;
    int boxes_ = 0;
    int gamesClosed_ = 0;
    QString failure_;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);
    SetupApplication(app);
    const int cycles = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const QString parts
        = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("switch,play,bouquet,download,game");

    PortalProcess portal;
    if (!portal.started()) {
        std::fprintf(stderr, "zevalo-portal did not start\n");
        return 2;
    }
    qputenv("ZEVALO_PORTAL_HOST", portal.host());
    std::unique_ptr<TfmPrinc> w = CreateThemeWindow(2);
    if (!w->FormCreate()) {
        std::fprintf(stderr, "the main window did not start\n");
        return 2;
    }
    w->show();
    Soak soak(w.get(), parts);

    // Each cycle runs from the event loop, as a click's handler does, and goes
    // back to it for a second before the figures are read: what the cycle
    // closed is deleted then, as in the program.
    QElapsedTimer clock;
    Sample first;
    int cycle = 0;
    std::function<void()> nextCycle = [&] {
        if (!soak.cycle()) {
            std::fprintf(stderr, "cycle %d: %s\n", cycle + 1, qPrintable(soak.failure()));
            QCoreApplication::exit(1);
            return;
        }
        QTimer::singleShot(1000, &app, [&] {
            const Sample last = sample();
            if (++cycle == 1)
                first = last;
            std::printf("cycle %3d  %6.1f s  rss %7.1f MB  heap %7.1f MB (of %7.1f MB)  fds %4d  threads %3d "
                        " message "
                        "boxes %d\n",
                cycle, clock.elapsed() / 1000.0, last.rssKb / 1024.0, last.heapKb / 1024.0,
                last.arenaKb / 1024.0, last.fds, last.threads, soak.messageBoxes());
            std::fflush(stdout);
            if (cycle < cycles)
                return nextCycle();
            const double growth = 100.0 * double(last.rssKb - first.rssKb) / double(first.rssKb);
            const bool ok = growth <= 10.0 && last.fds <= first.fds && last.threads <= first.threads
                && soak.messageBoxes() == 0;
            std::printf(
                "after cycle 1: rss %.1f MB, heap %.1f MB, %d fds, %d threads; after cycle %d: rss %.1f MB "
                "(%+.1f %%), heap %.1f MB, %d fds, %d threads; %d message boxes: %s\n",
                first.rssKb / 1024.0, first.heapKb / 1024.0, first.fds, first.threads, cycles,
                last.rssKb / 1024.0, growth, last.heapKb / 1024.0, last.fds, last.threads,
                soak.messageBoxes(), ok ? "PASS" : "FAIL");
            QCoreApplication::exit(ok ? 0 : 1);
        });
    };
    QTimer::singleShot(0, &app, [&] {
        if (!soak.findStreams()) {
            std::fprintf(stderr, "%s\n", qPrintable(soak.failure()));
            QCoreApplication::exit(2);
            return;
        }
        clock.start();
        nextCycle();
    });
    return app.exec();
}
