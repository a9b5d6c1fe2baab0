// The search field's filter over the channel list: case and accents aside,
// on captions and own lists' groups, within a group; a million-row list
// searched a slice per turn of the event loop; every shown row maps back to
// its own entry, and the row the user had chosen is chosen again.
#include "portal/canaux.h"
#include "portal/cp1252.h"
#include "portal/tv/ownlist.h"
#include "portal/tv/textfold.h"
#include "support/table.h"
#include "support/tvsamples.h"
#include "ui/main/channelmodel.h"
#include "ui/tv/channelfilter.h"
#include "ui/tv/channelroles.h"
#include "ui/tv/ownlistmodel.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// A portal list in the record grammar, one record per caption.
QByteArray records(const QStringList& captions)
{
    QByteArray body;
    for (qsizetype i = 0; i < captions.size(); ++i)
        body += zv::toCp1252(captions[i]) + "@@http://h/" + QByteArray::number(i) + "||";
    return body;
}

// An own list: "group/title" per entry.
std::shared_ptr<const zv::OwnList> ownList(const QStringList& entries)
{
    QByteArray body = "#EXTM3U\n";
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringList parts = entries[i].split(u'/');
        body += "#EXTINF:-1 group-title=\"" + parts[0].toUtf8() + "\"," + parts[1].toUtf8() + "\nhttp://h/"
            + QByteArray::number(i) + "\n";
    }
    return std::make_shared<const zv::OwnList>(zv::ReadOwnList(body).list);
}

QStringList shown(const TChannelFilter& filter)
{
    QStringList out;
    for (int row = 0; row < filter.rowCount(); ++row)
        out << filter.index(row, 0).data().toString();
    return out;
}

void waitFinished(TChannelFilter& filter)
{
    if (filter.isBusy())
        QVERIFY(QTest::qWaitFor([&] { return !filter.isBusy(); }, 30000));
}

} // namespace

class TestChannelFilter : public QObject {
    Q_OBJECT

private slots:
    void filter_data()
    {
        // group: own lists: the chosen group, -1 every row
        // portal: captions shown of the portal list
        // own: captions shown of the own list
        zv::test::columns<QString, int, QStringList, QStringList>("query", "group", "portal", "own");
        const QStringList all{"Zevalo Météo", "Zevalo Info", "Canal+ Sport", "ÉTÉ Jeunesse", "Arte"};
        zv::test::row("nothing typed", "", -1, all, all);
        zv::test::row(
            "accents and case aside", "mete", -1, QStringList{"Zevalo Météo"}, QStringList{"Zevalo Météo"});
        zv::test::row("typed with accents", "ÉTÉ", -1, QStringList{"Zevalo Météo", "ÉTÉ Jeunesse"},
            QStringList{"Zevalo Météo", "ÉTÉ Jeunesse"});
        zv::test::row("capitals", "ZEVALO", -1, QStringList{"Zevalo Météo", "Zevalo Info"},
            QStringList{"Zevalo Météo", "Zevalo Info"});
        zv::test::row(
            "punctuation counts", "canal+", -1, QStringList{"Canal+ Sport"}, QStringList{"Canal+ Sport"});
        zv::test::row("own lists' groups", "divert", -1, QStringList(), QStringList{"ÉTÉ Jeunesse", "Arte"});
        zv::test::row("within a group", "", 1, all, QStringList{"Zevalo Info", "Canal+ Sport"});
        zv::test::row(
            "within a group, typed", "sport", 1, QStringList{"Canal+ Sport"}, QStringList{"Canal+ Sport"});
        zv::test::row("nothing matches", "xyz", -1, QStringList(), QStringList());
        zv::test::row("blanks only", "   ", -1, all, all);
    }
    void filter()
    {
        QFETCH(QString, query);
        QFETCH(int, group);
        QFETCH(QStringList, portal);
        QFETCH(QStringList, own);
        const QStringList all{"Zevalo Météo", "Zevalo Info", "Canal+ Sport", "ÉTÉ Jeunesse", "Arte"};

        TChannelListModel bouquet;
        bouquet.setRows(zv::ReadChannelRecords(records(all), zv::ChannelIcons::None));
        TChannelFilter byCaption;
        byCaption.setSource(&bouquet, [&] { return ChannelTableIndexJob(bouquet.rows()); });
        byCaption.setFilterText(query);
        waitFinished(byCaption);
        QCOMPARE(shown(byCaption), portal);

        TOwnListModel list;
        list.setList(ownList({"Météo/Zevalo Météo", "Info/Zevalo Info", "Info/Canal+ Sport",
            "Divertissement/ÉTÉ Jeunesse", "Divertissement/Arte"}));
        TChannelFilter byGroup;
        byGroup.setSource(&list, list.indexMaker());
        byGroup.setScope(list.groupScope(group));
        byGroup.setFilterText(query);
        waitFinished(byGroup);
        QCOMPARE(shown(byGroup), own);

        // Every row shown stands for its own entry.
        for (TChannelFilter* f : {&byCaption, &byGroup}) {
            for (int row = 0; row < f->rowCount(); ++row) {
                const int source = f->sourceRow(row);
                QCOMPARE(f->index(row, 0).data(zv::AddressRole).toString(),
                    QStringLiteral("http://h/%1").arg(source));
                QCOMPARE(f->rowOf(source), row);
                QCOMPARE(f->mapFromSource(f->mapToSource(f->index(row, 0))).row(), row);
            }
            QCOMPARE(f->sourceRow(f->rowCount()), -1);
        }
    }

    // A list long enough to need several turns of the event loop, typed
    // into a letter at a time: each search shows what it found at once,
    // finishes turns later, and ends with the rows a plain search finds.
    void longListInSlices()
    {
        const int rows = 200000;
        TOwnListModel list;
        list.setList(
            std::make_shared<const zv::OwnList>(zv::ReadOwnList(zv::test::generatedList(rows)).list));
        TChannelFilter filter;
        filter.setSource(&list, list.indexMaker());
        int turns = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        ticker.start(0);
        for (const QString query : {"m", "mé", "mét", "météo 1", "météo 19", "météo 1", "sport"}) {
            turns = 0;
            filter.setFilterText(query);
            waitFinished(filter);
            QVERIFY2(turns > 1 || query == u"météo 19", qPrintable(query));
            int expected = 0;
            const QByteArray folded = zv::FoldForSearch(query);
            for (int i = 0; i < rows; ++i)
                expected += zv::FoldForSearch(list.list()->title(i) + u'\x1f' + list.list()->groupOf(i))
                                .contains(folded);
            QCOMPARE(filter.rowCount(), expected);
            for (int row = 0; row < filter.rowCount(); row += 997)
                QVERIFY(zv::FoldForSearch(filter.index(row, 0).data().toString() + u'\x1f'
                    + filter.index(row, 0).data(zv::GroupRole).toString())
                            .contains(folded));
        }
    }

    // The row the user chose is chosen again when a search shows it, and
    // when the search is cleared; new rows of the source are searched too.
    void choiceAndNewRows()
    {
        TChannelListModel bouquet;
        bouquet.setRows(
            zv::ReadChannelRecords(records({"Un", "Deux", "Trois", "Quatre"}), zv::ChannelIcons::None));
        TChannelFilter filter;
        filter.setSource(&bouquet, [&] { return ChannelTableIndexJob(bouquet.rows()); });
        QItemSelectionModel selection(&filter);
        filter.followSelection(&selection);
        selection.setCurrentIndex(filter.index(2, 0), QItemSelectionModel::ClearAndSelect);
        const struct {
            const char* query;
            QStringList rows;
            QString current; // empty: none
        } steps[] = {
            {"t", {"Trois", "Quatre"}, "Trois"},
            {"u", {"Un", "Deux", "Quatre"}, ""},
            {"", {"Un", "Deux", "Trois", "Quatre"}, "Trois"},
        };
        for (const auto& step : steps) {
            filter.setFilterText(QString::fromUtf8(step.query));
            waitFinished(filter);
            QCOMPARE(shown(filter), step.rows);
            QCOMPARE(selection.currentIndex().data().toString(), step.current);
        }
        filter.setFilterText(QStringLiteral("q"));
        bouquet.appendRows(zv::ReadChannelRecords(records({"Cinq", "Quinze"}), zv::ChannelIcons::None));
        waitFinished(filter);
        QCOMPARE(shown(filter), (QStringList{"Quatre", "Cinq", "Quinze"}));
        QCOMPARE(filter.sourceRow(2), 5);
        QCOMPARE(filter.index(2, 0).data(zv::AddressRole).toString(), QStringLiteral("http://h/1"));
        bouquet.setRows(zv::ReadChannelRecords(records({"Quoi", "Rien"}), zv::ChannelIcons::None));
        waitFinished(filter);
        QCOMPARE(shown(filter), QStringList{"Quoi"});
        bouquet.clear();
        waitFinished(filter);
        QCOMPARE(filter.rowCount(), 0);
    }
};

QTEST_MAIN(TestChannelFilter)
#include "tst_channelfilter.moc"
