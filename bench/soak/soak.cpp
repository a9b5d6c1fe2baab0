// Soak: the real main window against the demo portal (its own process, with
// generated media) for a bounded run of cycles. Each cycle switches sections
// 20 times, plays and stops 6 streams (two per engine), loads 2 bouquets,
// downloads one MP3 and opens and closes one game window. After each cycle:
// resident memory, open file descriptors and threads of this process.
// Passes when, at the end, resident memory is within 10 % of its value after
// the first cycle, descriptors and threads have not grown, and no message box
// ever showed.
// Usage: bench_soak [CYCLES]   (default 50: 1,000 switches, 300 plays, 100
// bouquets, 50 downloads, 50 games). Needs a display (xvfb-run) and the media
// of server/content/generated (zevalo-gencontent --out server/content/generated).
#include "app/startup.h"
#include "portal/cp1252.h"
#include "portalprocess.h"
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
#include <QTreeWidget>
#include <cstdio>
#include <optional>

namespace {

struct Sample {
    qint64 rssKb = 0;
    int fds = 0;
    int threads = 0;
};

qint64 statusValue(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(strlen(key))).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

Sample sample()
{
    return {statusValue("VmRSS:"), int(QDir(QStringLiteral("/proc/self/fd")).count()) - 2,
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

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class Soak {
public:
    explicit Soak(TfmPrinc* w)
        : w_(w)
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
        for (int i = 0; i < 20; ++i) {
            emit sections[(switches_++) % sections.size()]->clicked();
            QCoreApplication::processEvents();
        }
        for (int round = 0; round < 2; ++round) {
            for (const auto& s : streams_) {
                if (!play(*s))
                    return false;
            }
        }
        return loadBouquets() && download() && playGame();
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
        for (int i = 0; i < 2; ++i) {
            const int b = (bouquets_++) % w_->cmbBouquet->count();
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
        if (w_->lvMODRecherche->topLevelItemCount() == 0)
            return fail(QStringLiteral("the MP3 search found nothing"));
        QTreeWidgetItem* row
            = w_->lvMODRecherche->topLevelItem(downloadCount_++ % w_->lvMODRecherche->topLevelItemCount());
        w_->lvMODRecherche->setCurrentItem(row);
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
        QTreeWidget* tree = w_->tvListeJeux;
        if (tree->topLevelItemCount() == 0)
            return fail(QStringLiteral("no game category"));
        QTreeWidgetItem* category = tree->topLevelItem(games_++ % tree->topLevelItemCount());
        tree->setCurrentItem(category);
        if (category->childCount() == 0)
            emit tree->doubleClicked(tree->currentIndex());
        if (category->childCount() == 0)
            return fail(QStringLiteral("category %1 has no game").arg(category->text(0)));
        tree->setCurrentItem(category->child(0));
        const int closed = gamesClosed_;
        emit w_->btnJouer->clicked(); // returns once the game window has closed
        if (gamesClosed_ != closed + 1)
            return fail(QStringLiteral("no game window for %1").arg(category->child(0)->text(0)));
        return true;
    }

    TfmPrinc* w_;
    QTimer watcher_;
    QElapsedTimer gameShown_;
    QTemporaryDir downloads_;
    std::optional<Stream> streams_[3];
    int switches_ = 0;
    int bouquets_ = 0;
    int games_ = 0;
    int downloadCount_ = 0;
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
    Soak soak(w.get());
    if (!soak.findStreams()) {
        std::fprintf(stderr, "%s\n", qPrintable(soak.failure()));
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    Sample first;
    Sample last;
    for (int c = 1; c <= cycles; ++c) {
        if (!soak.cycle()) {
            std::fprintf(stderr, "cycle %d: %s\n", c, qPrintable(soak.failure()));
            return 1;
        }
        settle(1000); // deleted-later objects go, timers calm down
        last = sample();
        if (c == 1)
            first = last;
        std::printf("cycle %3d  %6.1f s  rss %7.1f MB  fds %4d  threads %3d  message boxes %d\n", c,
            clock.elapsed() / 1000.0, last.rssKb / 1024.0, last.fds, last.threads, soak.messageBoxes());
        std::fflush(stdout);
    }
    const double growth = 100.0 * double(last.rssKb - first.rssKb) / double(first.rssKb);
    const bool ok = growth <= 10.0 && last.fds <= first.fds && last.threads <= first.threads
        && soak.messageBoxes() == 0;
    std::printf(
        "after cycle 1: rss %.1f MB, %d fds, %d threads; after cycle %d: rss %.1f MB (%+.1f %%), %d fds, "
        "%d threads; %d message boxes: %s\n",
        first.rssKb / 1024.0, first.fds, first.threads, cycles, last.rssKb / 1024.0, growth, last.fds,
        last.threads, soak.messageBoxes(), ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
