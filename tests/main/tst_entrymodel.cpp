// The rows of the sections' lists: the entry model on its own (checked by Qt's
// model tester), and the play queue's reading of rows through the proxies a
// view may show them through (a filter, a sort), for the entry model and the
// channel list alike.
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"
#include "ui/main/playqueue.h"

#include <QAbstractItemModelTester>
#include <QListView>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

using namespace zv::test;

namespace {

// Rows "1".."5" of kind, each playing "http://m/<caption>" with content id <row + 1>.
TEntryModel* fiveRows(QObject* parent, zv::EntryKind kind = zv::EntryKind::Mp3)
{
    auto* model = new TEntryModel({QStringLiteral("Titre")}, parent);
    for (int i = 0; i < 5; ++i) {
        const QString caption = QString::number(i + 1);
        model->append(
            {.kind = kind, .caption = caption, .address = "http://m/" + caption, .contentId = i + 1});
    }
    return model;
}

// What a filter and a sort do to a list: the rows shown, in the order shown.
QSortFilterProxyModel* through(QAbstractItemModel* source, const QString& hidden, bool descending)
{
    auto* proxy = new QSortFilterProxyModel(source);
    proxy->setSourceModel(source);
    if (!hidden.isEmpty())
        proxy->setFilterRegularExpression(QStringLiteral("^(?!%1$)").arg(hidden));
    if (descending)
        proxy->sort(0, Qt::DescendingOrder);
    return proxy;
}

} // namespace

class TestEntryModel : public QObject {
    Q_OBJECT

private slots:
    void rolesOfEachKind_data()
    {
        // roles: address, content id, folder, duration, thumbnail
        zv::test::columns<zv::Entry, QStringList, QVariantList>("entry", "columns", "roles");
        zv::test::row("file",
            zv::Entry{.kind = zv::EntryKind::File,
                .caption = "clip.avi",
                .address = "/v/clip.avi",
                .folder = "/v/"},
            QStringList{"clip.avi", "/v/"}, QVariantList{"/v/clip.avi", 0, "/v/", "", ""});
        zv::test::row("video",
            zv::Entry{.kind = zv::EntryKind::Video,
                .caption = "Chat",
                .address = "http://v/1.flv",
                .duration = "1:02",
                .thumbnail = "http://i/1.jpg"},
            QStringList{"Chat"}, QVariantList{"http://v/1.flv", 0, "", "1:02", "http://i/1.jpg"});
        zv::test::row("game", zv::Entry{.kind = zv::EntryKind::Game, .caption = "Pong", .contentId = 12},
            QStringList{"Pong"}, QVariantList{"", 12, "", "", ""});
        zv::test::row("podcast",
            zv::Entry{.kind = zv::EntryKind::Podcast,
                .caption = "Étoiles",
                .address = "http://p/1.xml",
                .contentId = 7},
            QStringList{"Étoiles"}, QVariantList{"http://p/1.xml", 7, "", "", ""});
    }
    void rolesOfEachKind()
    {
        QFETCH(zv::Entry, entry);
        QFETCH(QStringList, columns);
        QFETCH(QVariantList, roles);
        const QStringList headers
            = columns.size() > 1 ? QStringList{"Fichier", "Dossier"} : QStringList{"Titre"};
        TEntryModel model(headers);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex row = model.append(entry);
        QCOMPARE(model.columnCount(), int(columns.size()));
        for (int c = 0; c < columns.size(); ++c)
            QCOMPARE(row.siblingAtColumn(c).data().toString(), columns[c]);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), headers.first());
        const int dataRoles[]
            = {zv::AddressRole, zv::ContentIdRole, zv::FolderRole, zv::DurationRole, zv::ThumbnailRole};
        for (int i = 0; i < int(std::size(dataRoles)); ++i)
            QCOMPARE(row.data(dataRoles[i]).toString(), roles[i].toString());
        QCOMPARE(row.data(zv::KindRole).toInt(), int(entry.kind));
        QVERIFY(!row.data(zv::PositionRole).isValid());
        QCOMPARE(row.data(zv::MarkRole).toInt(), int(zv::EntryMark::None));
        QVERIFY(!(model.flags(row) & Qt::ItemIsEditable));
        QCOMPARE(model.entries(), std::vector<zv::Entry>{entry});
    }

    void treeAndRemovals()
    {
        TEntryModel model({});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&model);
        const QModelIndex group = model.append({.kind = zv::EntryKind::PodcastGroup, .caption = "Sciences"});
        const QModelIndex sub
            = model.append({.kind = zv::EntryKind::PodcastSubgroup, .caption = "Espace"}, group);
        model.append({{.kind = zv::EntryKind::Podcast, .caption = "A", .contentId = 1},
                         {.kind = zv::EntryKind::Podcast, .caption = "B", .contentId = 2}},
            sub);
        model.append({.kind = zv::EntryKind::PodcastGroup, .caption = "Culture"});
        QCOMPARE(dump(&view), QStringLiteral("Sciences{Espace{A,B}};Culture"));
        QCOMPARE(TEntryModel::level(at(&view, {0, 0, 1})), 2);
        QCOMPARE(at(&view, {0, 0, 1}).parent(), sub);
        QCOMPARE(find(&view, QStringLiteral("B")).data(zv::ContentIdRole).toInt(), 2);

        // A row held while the tree changes around it stays the same entry.
        const QPersistentModelIndex b = at(&view, {0, 0, 1});
        QVERIFY(model.removeRow(0, sub));
        QCOMPARE(b.data().toString(), QStringLiteral("B"));
        QCOMPARE(b.row(), 0);
        QVERIFY(!model.removeRows(1, 1, sub)); // past the end
        QVERIFY(!model.removeRows(0, 0, sub));
        model.clear();
        QVERIFY(!b.isValid());
        QCOMPARE(model.rowCount(), 0);
        model.clear(); // empty already
    }

    void positionAndMark_data()
    {
        zv::test::columns<int, QVariant, bool, QVariant>("role", "value", "taken", "read");
        zv::test::row(
            "a position", int(zv::PositionRole), QVariant(qint64(93500)), true, QVariant(qint64(93500)));
        zv::test::row("no position: forgotten", int(zv::PositionRole), QVariant(), true, QVariant());
        zv::test::row("a position that is no number", int(zv::PositionRole), QVariant(QStringLiteral("x")),
            false, QVariant());
        zv::test::row("heard", int(zv::MarkRole), QVariant(int(zv::EntryMark::Heard)), true,
            QVariant(int(zv::EntryMark::Heard)));
        zv::test::row("new", int(zv::MarkRole), QVariant(int(zv::EntryMark::New)), true,
            QVariant(int(zv::EntryMark::New)));
        zv::test::row(
            "no such mark", int(zv::MarkRole), QVariant(7), false, QVariant(int(zv::EntryMark::None)));
        zv::test::row("the address is not the user's", int(zv::AddressRole),
            QVariant(QStringLiteral("http://x")), false, QVariant(QStringLiteral("http://m/1")));
    }
    void positionAndMark()
    {
        QFETCH(int, role);
        QFETCH(QVariant, value);
        QFETCH(bool, taken);
        QFETCH(QVariant, read);
        QObject owner;
        TEntryModel* model = fiveRows(&owner);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QCOMPARE(model->setData(model->index(0, 0), value, role), taken);
        QCOMPARE(model->index(0, 0).data(role), read);
        QCOMPARE(int(changed.size()), taken ? 1 : 0);
        if (taken)
            QCOMPARE(changed.first().at(2).value<QList<int>>(), QList<int>{role});
        QVERIFY(!model->setData({}, value, role));
    }

    // The play queue reads the row the user sees, through any proxy, as its
    // source row: its real entry, never the proxy's row number.
    void rowsThroughProxies_data()
    {
        // hidden: the caption the filter leaves out
        // selected: the caption the user picks
        // next: its neighbours as shown; "" none
        zv::test::columns<bool, QString, bool, QString, QString, QString>(
            "channels", "hidden", "descending", "selected", "next", "previous");
        for (const bool channels : {false, true}) {
            const QByteArray list = channels ? "channels, " : "entries, ";
            zv::test::row(list + "as they are", channels, QString(), false, "2", "3", "1");
            zv::test::row(list + "filtered", channels, "3", false, "2", "4", "1");
            zv::test::row(list + "sorted", channels, QString(), true, "2", "1", "3");
            zv::test::row(list + "filtered and sorted", channels, "4", true, "5", "3", "");
            zv::test::row(list + "first shown", channels, "1", false, "2", "3", "");
        }
    }
    void rowsThroughProxies()
    {
        QFETCH(bool, channels);
        QFETCH(QString, hidden);
        QFETCH(bool, descending);
        QFETCH(QString, selected);
        QFETCH(QString, next);
        QFETCH(QString, previous);
        QObject owner;
        QAbstractItemModel* source = nullptr;
        if (channels) {
            auto* model = new TChannelListModel(&owner);
            QByteArray bouquet = "#EXTM3U\r\n";
            for (int i = 1; i <= 5; ++i)
                bouquet += "#EXTINF:0," + QByteArray::number(i) + "\r\nhttp://m/" + QByteArray::number(i)
                    + "\r\n";
            model->setRows(zv::ReadM3uBouquet(bouquet));
            source = model;
        } else {
            source = fiveRows(&owner);
        }
        QListView view;
        view.setModel(through(through(source, hidden, false), QString(), descending));

        select(&view, find(&view, selected));
        const QModelIndex chosen = zv::selectedSource(&view);
        QCOMPARE(chosen.model(), source);
        QCOMPARE(chosen.row(), selected.toInt() - 1);
        const TPlayEntry entry = zv::playEntry(&view, chosen);
        QCOMPARE(entry.title, selected);
        QVERIFY2(entry.address.endsWith("http://m/" + selected), qPrintable(entry.address));
        QCOMPARE(entry.contentId, channels ? 0 : chosen.row() + 1);
        QVERIFY(entry.sameRow(zv::playEntry(&view, zv::selectedSource(&view))));

        const auto caption
            = [](const QModelIndex& i) { return i.isValid() ? i.data().toString() : QString(); };
        QCOMPARE(caption(zv::neighbourSource(&view, chosen, 1)), next);
        QCOMPARE(caption(zv::neighbourSource(&view, chosen, -1)), previous);
        if (!next.isEmpty())
            QCOMPARE(zv::neighbourSource(&view, chosen, 1).model(), source);
        // Nothing selected: the first row shown comes next.
        view.clearSelection();
        QVERIFY(!zv::selectedSource(&view).isValid());
        QCOMPARE(zv::neighbourSource(&view, {}, 1), zv::sourceIndex(at(&view, 0)));

        // A source row selected back: the view shows it selected.
        zv::selectSource(&view, chosen);
        QCOMPARE(caption(zv::test::selected(&view)), selected);
        // A hidden row cannot be selected; its neighbours start from the top.
        if (!hidden.isEmpty()) {
            const QModelIndex gone = source->index(hidden.toInt() - 1, 0);
            QVERIFY(!zv::viewIndex(&view, gone).isValid());
            zv::selectSource(&view, gone);
            QCOMPARE(caption(zv::test::selected(&view)), selected);
            QCOMPARE(zv::neighbourSource(&view, gone, 1), zv::sourceIndex(at(&view, 0)));
        }
    }

    void noListNoEntry()
    {
        QVERIFY(!zv::selectedSource(nullptr).isValid());
        QVERIFY(!zv::neighbourSource(nullptr, {}, 1).isValid());
        QVERIFY(!zv::viewIndex(nullptr, {}).isValid());
        zv::selectSource(nullptr, {});
        const TPlayEntry none = zv::playEntry(nullptr, {});
        QVERIFY(none.address.isEmpty());
        QVERIFY(!none.sameRow(none));
    }
};

QTEST_MAIN(TestEntryModel)
#include "tst_entrymodel.moc"
