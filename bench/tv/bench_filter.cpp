// The search field over the channel list at a million rows, through the real
// filter, model and list view (with the rows' delegate), as the window runs
// them.
//
//   bench_filter [--entries N] [--rounds N]
//
// 1. An own list of N entries (1,000,000) with groups: read on a worker as
//    the window does, then shown: the window's part (model, view laid out and
//    painted) after the answer is read.
// 2. "zevalo météo 12" typed a letter at a time, then erased, ROUNDS times,
//    waiting for each search to finish: per keystroke, the window's CPU time
//    for the keystroke itself (folding the query, the first slice, the view
//    reset and painted) and for the whole search (every slice and repaint);
//    meanwhile a 10 ms timer, as the window's: how late it fires, and how
//    much of that lateness was this program's own work (its CPU time between
//    two ticks) rather than the machine's other load.
// 3. The same typed fast (a key each 30 ms, searches overlapping).
// 4. A group chosen, then a query within it.
// 5. The same typing on a portal bouquet of N rows (TChannelListModel).
#include "benchtiming.h"
#include "portal/canaux.h"
#include "portal/tv/ownlist.h"
#include "support/tvsamples.h"
#include "ui/main/channelmodel.h"
#include "ui/tv/channelfilter.h"
#include "ui/tv/nownextdelegate.h"
#include "ui/tv/ownlistmodel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <thread>

using namespace bench;

namespace {

// The channel list as the window has it: a search field over a list view.
struct Window {
    QWidget widget;
    QLineEdit* field = new QLineEdit(&widget);
    QListView* view = new QListView(&widget);
    TChannelFilter filter;

    Window(QAbstractItemModel* model, TChannelFilter::IndexMaker maker)
    {
        auto* l = new QVBoxLayout(&widget);
        l->addWidget(field);
        l->addWidget(view);
        view->setUniformItemSizes(true);
        view->setLayoutMode(QListView::Batched);
        view->setBatchSize(2000);
        view->setItemDelegate(new TNowNextDelegate(view));
        filter.setSource(model, std::move(maker));
        view->setModel(&filter);
        filter.followSelection(view->selectionModel());
        QObject::connect(field, &QLineEdit::textChanged, &filter, &TChannelFilter::setFilterText);
        widget.resize(260, 420);
        widget.show();
        settle();
    }
    // Runs the loop until nothing is left to do (searches, layouts, paints).
    void settle()
    {
        do
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        while (filter.isBusy());
        QApplication::processEvents();
    }
    void key(Qt::Key k, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }
};

struct Keystrokes {
    std::vector<double> own; // CPU of the keystroke's own handling
    std::vector<double> whole; // CPU until its search finished and showed
    std::vector<double> wall; // until its search finished
};

// Types `typed` a letter at a time, then erases it, `rounds` times.
Keystrokes typeAndErase(Window& w, const QString& typed, int rounds, Lateness& timer)
{
    Keystrokes k;
    const auto one = [&](Qt::Key key, const QString& text) {
        QElapsedTimer wall;
        wall.start();
        const double cpu = cpuMs();
        w.key(key, text);
        QApplication::processEvents(); // the paint it asked for
        k.own.push_back(cpuMs() - cpu);
        w.settle();
        k.whole.push_back(cpuMs() - cpu);
        k.wall.push_back(msSince(wall));
    };
    timer.start();
    for (int r = 0; r < rounds; ++r) {
        for (const QChar c : typed)
            one(Qt::Key_A, c);
        for (qsizetype n = 0; n < typed.size(); ++n)
            one(Qt::Key_Backspace, QString());
    }
    timer.stop();
    return k;
}

void print(const char* what, const Keystrokes& k, const Lateness& timer, int rows)
{
    std::printf(
        "   %s: keystroke median %.1f ms CPU (worst %.1f), whole search median %.1f ms CPU (worst "
        "%.1f), %.1f ms wall (worst %.1f); 10 ms timer late by %.1f ms at most (99th percentile %.1f; this "
        "thread's CPU between two ticks %.1f ms at most) over %zu ticks; %d rows shown at the end\n",
        what, median(k.own), worst(k.own), median(k.whole), worst(k.whole), median(k.wall), worst(k.wall),
        timer.most(), timer.percentile(99), timer.mostBusy(), timer.ticks(), rows);
}

// Keys every 30 ms whatever the search is doing.
void typeFast(Window& w, const QString& typed, Lateness& timer)
{
    std::vector<double> own;
    QElapsedTimer wall;
    wall.start();
    timer.start();
    for (const QChar c : typed) {
        const double cpu = cpuMs();
        w.key(Qt::Key_A, c);
        own.push_back(cpuMs() - cpu);
        QElapsedTimer gap;
        gap.start();
        while (gap.elapsed() < 30)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    w.settle();
    timer.stop();
    std::printf(
        "   typed fast (a key each 30 ms): keystroke median %.1f ms CPU (worst %.1f); all found %.0f ms "
        "after the first key; 10 ms timer late by %.1f ms at most (99th percentile %.1f; this thread's CPU "
        "between two ticks %.1f ms at most)\n",
        median(own), worst(own), msSince(wall), timer.most(), timer.percentile(99), timer.mostBusy());
    w.field->clear();
    w.settle();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1StringView(name));
        return at > 0 ? args.value(at + 1).toInt() : fallback;
    };
    const int entries = option("--entries", 1000000);
    const int rounds = option("--rounds", 3);
    const QString typed = QStringLiteral("zevalo météo 12");
    Lateness timer(10);

    {
        const QByteArray body = zv::test::generatedList(entries);
        std::printf("== own list: %d entries, %.1f MB\n", entries, double(body.size()) / 1e6);
        // Read on a worker, as the window does.
        QElapsedTimer t;
        t.start();
        std::shared_ptr<const zv::OwnList> list;
        std::thread reader([&] { list = std::make_shared<const zv::OwnList>(zv::ReadOwnList(body).list); });
        reader.join();
        const double read = msSince(t);
        TOwnListModel model;
        t.restart();
        const double cpu = cpuMs();
        model.setList(list);
        Window w(&model, model.indexMaker());
        std::printf("   read on a worker %.0f ms; then shown by the window in %.0f ms (%.0f ms CPU): %.0f ms "
                    "after the answer ended\n",
            read, msSince(t), cpuMs() - cpu, read + msSince(t));

        print("typed and erased", typeAndErase(w, typed, rounds, timer), timer, w.filter.rowCount());
        typeFast(w, typed, timer);

        t.restart();
        timer.start();
        w.filter.setScope(model.groupScope(list->groupCount() / 2));
        w.settle();
        const double scope = msSince(t);
        const Keystrokes inGroup = typeAndErase(w, QStringLiteral("météo"), 1, timer);
        std::printf("   a group chosen: %d rows in %.0f ms;", w.filter.rowCount(), scope);
        print(" typed within it", inGroup, timer, w.filter.rowCount());
        w.filter.setScope({});
        w.settle();
    }
    {
        QByteArray body;
        body.reserve(qsizetype(entries) * 60);
        for (int i = 0; i < entries; ++i)
            body += "#EXTINF:0,2 Zevalo M\xe9t\xe9o " + QByteArray::number(i) + "\nhttp://s.example/"
                + QByteArray::number(i) + ".ts\n";
        TChannelListModel model;
        model.setRows(zv::ReadM3uBouquet(body));
        std::printf("== portal bouquet: %zu rows\n", model.rows().size());
        Window w(&model, [&model] { return ChannelTableIndexJob(model.rows()); });
        print("typed and erased", typeAndErase(w, typed, rounds, timer), timer, w.filter.rowCount());
    }
    return 0;
}
