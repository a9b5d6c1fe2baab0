// Where an episode, an MP3, a file or a video stopped outlives the window: the
// next window shows it on the row and starts there again, a little earlier;
// one heard to its end is marked heard and starts from the beginning. Live
// channels keep nothing.
#include "portal/userstate.h"
#include "support/mainwindowrig.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/playbackmemory.h"

#include <QListView>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QUrl>

using namespace zv::test;

namespace {

constexpr qint64 kLength = 600000;

} // namespace

class TestPositions : public MainWindowTest {
    Q_OBJECT

    // Shows the list named `list` with one row playing address, as its
    // section fills it.
    std::pair<QAbstractItemView*, TEntryModel*> showRow(
        TfmPrinc* w, const QString& list, const QString& address)
    {
        auto* view = w->findChild<QAbstractItemView*>(list);
        if (view == w->lvListeCanaux) {
            emit w->btnFctTele->clicked();
            return {view, nullptr};
        }
        const QHash<QAbstractItemView*, std::pair<TEntryModel*, zv::EntryKind>> models
            = {{w->lvMODFichier, {w->lvMODFichierModel, zv::EntryKind::File}},
                {w->lvMODPodcast, {w->lvMODPodcastModel, zv::EntryKind::Episode}},
                {w->lvMODRecherche, {w->lvMODRechercheModel, zv::EntryKind::Mp3}},
                {w->lvMODFavoris, {w->lvMODFavorisModel, zv::EntryKind::Favourite}},
                {w->lvVideo, {w->lvVideoModel, zv::EntryKind::Video}}};
        emit(view == w->lvVideo ? w->btnFctVideo : w->btnFctMOD)->clicked();
        for (QWidget* p = view; p; p = p->parentWidget()) {
            if (w->pcMOD->indexOf(p) >= 0)
                w->pcMOD->setCurrentWidget(p);
        }
        const auto [model, kind] = models.value(view);
        model->clear();
        model->append({.kind = kind, .caption = QStringLiteral("Épisode"), .address = address});
        return {view, model};
    }

private slots:
    void positionOutlivesTheWindow_data()
    {
        // how: how playing stops
        // at: where it stopped
        // shown: PositionRole on the next window's row
        // seek: what the next play asks of the engine
        zv::test::columns<QString, QString, qint64, QVariant, int, QString>(
            "list", "how", "at", "shown", "mark", "seek");

        const int none = int(zv::EntryMark::None);
        const int heard = int(zv::EntryMark::Heard);
        const QVariant nothing;
        zv::test::row("episode, stop", "lvMODPodcast", "stop", qint64(120000), QVariant(qint64(120000)), none,
            "seek 115000");
        zv::test::row("episode, section", "lvMODPodcast", "section", qint64(90000), QVariant(qint64(90000)),
            none, "seek 85000");
        zv::test::row("episode, window closed", "lvMODPodcast", "close", qint64(300000),
            QVariant(qint64(300000)), none, "seek 295000");
        zv::test::row("episode, another row", "lvMODPodcast", "other", qint64(60000), QVariant(qint64(60000)),
            none, "seek 55000");
        zv::test::row("episode, timer", "lvMODPodcast", "timer", qint64(200000), QVariant(qint64(200000)),
            none, "seek 195000");
        zv::test::row("episode, to its end", "lvMODPodcast", "end", kLength, nothing, heard, "");
        zv::test::row(
            "episode, stopped near the end", "lvMODPodcast", "stop", kLength - 5000, nothing, heard, "");
        zv::test::row("episode, stopped at once", "lvMODPodcast", "stop", qint64(3000), nothing, none, "");
        zv::test::row(
            "file", "lvMODFichier", "stop", qint64(120000), QVariant(qint64(120000)), none, "seek 115000");
        zv::test::row("MP3 found", "lvMODRecherche", "section", qint64(120000), QVariant(qint64(120000)),
            none, "seek 115000");
        zv::test::row("Mes MP3", "lvMODFavoris", "end", kLength, nothing, heard, "");
        zv::test::row(
            "video", "lvVideo", "stop", qint64(120000), QVariant(qint64(120000)), none, "seek 115000");
    }
    void positionOutlivesTheWindow()
    {
        QFETCH(QString, list);
        QFETCH(QString, how);
        QFETCH(qint64, at);
        QFETCH(QVariant, shown);
        QFETCH(int, mark);
        QFETCH(QString, seek);
        const QString address = QString::fromLatin1(rig->url("/media/episode.mp3?"))
            + QString::fromUtf8(QUrl::toPercentEncoding(QString::fromUtf8(QTest::currentDataTag())));

        auto w = rig->start();
        auto [view, model] = showRow(w.get(), list, address);
        activate(view, ::at(view, 0));
        QTRY_VERIFY(w->btnLecture->Enfonce());
        FakeEngine* engine = rig->engine();
        QVERIFY(engine);
        QVERIFY(!rig->engines.calls.join('\n').contains(QLatin1String("seek"))); // nothing kept yet
        engine->len = kLength;
        engine->pos = at;
        if (how == QLatin1String("stop")) {
            emit w->btnLecture->clicked();
        } else if (how == QLatin1String("section")) {
            emit w->btnFctTele->clicked();
            QTRY_VERIFY(w->frmPlayer->url().isEmpty());
        } else if (how == QLatin1String("other")) {
            model->append({.kind = zv::EntryKind::Episode,
                .caption = QStringLiteral("Autre"),
                .address = address + "2"});
            activate(view, ::at(view, 1));
            QTRY_COMPARE(rig->engines.sources().size(), 2);
        } else if (how == QLatin1String("timer")) {
            // Written while it plays: what a killed program leaves. The engine
            // then fails, so that the window's end adds nothing.
            TPlaybackMemory::writeEveryMs = 0;
            QTRY_VERIFY(zv::UserState::instance().playback(TPlaybackMemory::keyOf(address)).has_value());
            TPlaybackMemory::writeEveryMs = TPlaybackMemory::DefaultWriteEveryMs;
            engine->pos = 1000;
            engine->fail(QStringLiteral("coupé"));
        } else if (how == QLatin1String("end")) {
            engine->setState(PlayerEngine::State::Ended);
        }
        w.reset();

        w = rig->start();
        view = showRow(w.get(), list, address).first;
        const QModelIndex row = zv::sourceIndex(::at(view, 0));
        QCOMPARE(row.data(zv::PositionRole), shown);
        QCOMPARE(row.data(zv::MarkRole).toInt(), mark);
        rig->engines.calls.clear();
        activate(view, ::at(view, 0));
        QTRY_VERIFY(w->btnLecture->Enfonce());
        // The jump waits until the stream is under way and its length known.
        QTest::qWait(300);
        QVERIFY(rig->engines.calls.filter(QStringLiteral("seek")).isEmpty());
        rig->engine()->len = kLength;
        rig->engine()->pos = 500;
        if (!seek.isEmpty())
            QTRY_COMPARE(rig->engines.calls.filter(QStringLiteral("seek")), QStringList{seek});
        QTest::qWait(300);
        QCOMPARE(rig->engines.calls.filter(QStringLiteral("seek")),
            seek.isEmpty() ? QStringList() : QStringList{seek});
    }

    void liveChannelsKeepNothing()
    {
        auto w = rig->start();
        QAbstractItemView* view = showRow(w.get(), QStringLiteral("lvListeCanaux"), QString()).first;
        QTRY_VERIFY(rowCount(view) > 0);
        activate(view, ::at(view, 0));
        QTRY_VERIFY(w->btnLecture->Enfonce());
        rig->engine()->pos = 120000;
        emit w->btnLecture->clicked();
        activate(view, ::at(view, 0));
        QTRY_VERIFY(w->btnLecture->Enfonce());
        QVERIFY(rig->engines.calls.filter(QStringLiteral("seek")).isEmpty());
    }
};

QTEST_MAIN(TestPositions)
#include "tst_positions.moc"
