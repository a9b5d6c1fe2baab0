// Folding for the search field and for matching channel names, and the filter
// that narrows a list as the user types, slice by slice.
#include "portal/tv/rowfilter.h"
#include "portal/tv/textfold.h"
#include "support/table.h"

#include <QTest>

class TestRowFilter : public QObject {
    Q_OBJECT

private slots:
    void fold_data()
    {
        zv::test::columns<QString, QString>("text", "folded");
        zv::test::row("accents and case", "Zevalo Météo", "zevalo meteo");
        zv::test::row("blanks", "  ŒUVRES \t d’Art\n", "oeuvres d’art");
        zv::test::row("letters without a base letter", "Straße Øresund Łódź", "strasse oresund lodz");
        zv::test::row("full-width and ligatures", "ＴＦ１ ﬁlm ①", "tf1 film 1");
        zv::test::row("Greek", "Ελληνικά", "ελληνικα");
        zv::test::row("Cyrillic", "Ёлка МОСКВА", "елка москва");
        zv::test::row("Arabic marks", "مُحَمَّد", "محمد");
        zv::test::row("kana voicing marks stay", "東京テレビ", QString("東京テレヒ\u3099"));
        zv::test::row("dotted capital I", "İstanbul", "istanbul");
        zv::test::row("format characters", "x\u200B\u00ADy\u200E", "xy");
        zv::test::row("beyond the BMP", "\U0001D400BC \U0001F600", "abc \U0001F600");
        zv::test::row("punctuation kept", "Canal+ / C8", "canal+ / c8");
        zv::test::row("nothing", " \t ", "");
    }
    void fold()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(QString::fromUtf8(zv::FoldForSearch(text)), folded);
        QCOMPARE(QString::fromUtf8(zv::FoldUtf8ForSearch(text.toUtf8())), folded);
    }

    void foldSkipsBrokenUtf8()
    {
        QCOMPARE(zv::FoldUtf8ForSearch("M\xe9t\xc3\xa9o\xf0\x9f\xc3"), QByteArray("mteo"));
    }

    void channelNameKey_data()
    {
        zv::test::columns<QString, QString>("name", "key");
        zv::test::row("quality suffix", "TF1 HD", "tf1");
        zv::test::row("country tag and suffix", "FR: TF1 FHD", "tf1");
        zv::test::row("tag in bars", "|FR| TF1", "tf1");
        zv::test::row("tag in brackets", "[FR] TF1 UHD 4K", "tf1");
        zv::test::row("blanks", "France 2", "france2");
        zv::test::row("no blanks", "France2", "france2");
        zv::test::row("plus sign", "Canal+", "canalplus");
        zv::test::row("plus written", "Canal Plus HD", "canalplus");
        zv::test::row("accents, punctuation", "Télé-Matin!", "telematin");
        zv::test::row("any script", "Россия 1 HD", "россия1");
        zv::test::row("nothing but a suffix", "HD", "hd");
        zv::test::row("nothing but a tag", "FR:", "fr");
        zv::test::row("longer words are no tag", "Canal: Sport", "canalsport");
    }
    void channelNameKey()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QCOMPARE(QString::fromUtf8(zv::ChannelNameKey(name)), key);
        QCOMPARE(QString::fromUtf8(zv::ChannelNameKeyUtf8(name.toUtf8())), key);
    }

    // What the user types, each query followed by a number of slices of
    // `budget` rows before the next keystroke (-1: to the end). The result is
    // held against a plain search of every row.
    void typing_data()
    {
        zv::test::columns<QStringList, QList<int>, int>("queries", "slices", "budget");
        zv::test::row("typing on, each search finished", QStringList{"m", "me", "met", "mete"},
            QList<int>{-1, -1, -1, -1}, 3);
        zv::test::row("typing faster than the filter", QStringList{"e", "er", "ere", "eree"},
            QList<int>{1, 0, 2, -1}, 2);
        zv::test::row(
            "a keystroke before the first slice", QStringList{"a", "ar", "art"}, QList<int>{0, 0, -1}, 4);
        zv::test::row(
            "backspace widens again", QStringList{"sport", "spor", "spo", "s"}, QList<int>{1, 1, 1, -1}, 3);
        zv::test::row("a different query", QStringList{"tf1", "arte"}, QList<int>{1, -1}, 5);
        zv::test::row(
            "query in the middle, then before", QStringList{"ete", "mete", "meteo"}, QList<int>{2, 1, -1}, 1);
        zv::test::row("cleared", QStringList{"sport", ""}, QList<int>{-1, -1}, 100);
        zv::test::row("across title and group: none", QStringList{"arte art"}, QList<int>{-1}, 7);
        zv::test::row("one slice does all", QStringList{"é", "ét"}, QList<int>{1, -1}, 1000);
    }
    void typing()
    {
        QFETCH(QStringList, queries);
        QFETCH(QList<int>, slices);
        QFETCH(int, budget);
        const QList<QPair<QString, QString>> rows = {{"Zevalo Météo", "Info"}, {"TF1 HD", "Généraliste"},
            {"Arte", "Art et culture"}, {"Eurosport 1", "Sport"}, {"beIN SPORTS", "Sport"},
            {"Météo Express", ""}, {"Ερέτρια TV", "Ελλάδα"}, {"Érée", "Été"}, {"Canal+ Sport", "Sport"},
            {"Artémis", "Arte"}, {"Sans groupe", ""}, {"", ""}};
        auto index = std::make_shared<zv::SearchIndex>();
        for (const auto& [title, group] : rows)
            index->addRow({title, group});
        zv::RowFilter filter(index);
        for (int q = 0; q < queries.size(); ++q) {
            filter.setQuery(queries[q]);
            if (slices[q] < 0)
                filter.finish();
            for (int s = 0; s < slices[q]; ++s)
                filter.step(std::size_t(budget));
        }
        filter.finish();

        const QString query = QString::fromUtf8(zv::FoldForSearch(queries.last()));
        std::vector<std::uint32_t> expected;
        for (int i = 0; i < rows.size(); ++i) {
            const QString title = QString::fromUtf8(zv::FoldForSearch(rows[i].first));
            const QString group = QString::fromUtf8(zv::FoldForSearch(rows[i].second));
            if (title.contains(query) || group.contains(query))
                expected.push_back(std::uint32_t(i));
        }
        QCOMPARE(filter.matchesAll(), query.isEmpty());
        if (!query.isEmpty())
            QCOMPARE(filter.rows(), expected);
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(filter.accepts(std::size_t(i)),
                query.isEmpty() || std::count(expected.begin(), expected.end(), i) == 1);
        QVERIFY(!filter.accepts(std::size_t(rows.size())));
    }

    // Narrowing looks only among what the shorter query found.
    void narrowingLooksAtFewerRows()
    {
        auto index = std::make_shared<zv::SearchIndex>();
        for (int i = 0; i < 1000; ++i)
            index->addRow(
                {i % 10 == 0 ? QStringLiteral("Météo %1").arg(i) : QStringLiteral("Chaîne %1").arg(i)});
        zv::RowFilter filter(index);
        filter.setQuery(u"met");
        filter.finish();
        QCOMPARE(filter.candidates(), std::size_t(1000));
        QCOMPARE(filter.rows().size(), std::size_t(100));
        QVERIFY(filter.setQuery(u"Méte"));
        QVERIFY(!filter.setQuery(u"METE ")); // folds to the same query
        QCOMPARE(filter.candidates(), std::size_t(100));
        filter.finish();
        QCOMPARE(filter.rows().size(), std::size_t(100));
        QCOMPARE(filter.examined(), std::size_t(100));
    }
};

QTEST_GUILESS_MAIN(TestRowFilter)
#include "tst_rowfilter.moc"
