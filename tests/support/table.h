#pragma once
// Declaring a data table's columns in one line, types then names in the same
// order:
//
//   zv::test::columns<QByteArray, QString, int>("body", "title", "count");
//
// each row on a line of its own, its name then its values in the columns' order:
//
//   zv::test::row("one episode", rss, QStringLiteral("Émission"), 1);
//
// the common table of one yes-or-no column with its two rows named:
//
//   zv::test::flagRows("compressed", "xml", "xml.gz"); // false, then true
//
// and the table of one row for each of the five themes, in the column "theme":
//
//   zv::test::themeRows();                               // "theme 1" … "theme 5"
#include <QTest>

namespace zv::test {

template <typename... Types, typename... Names> void columns(const Names&... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column type");
    (QTest::addColumn<Types>(names), ...);
}

template <typename... Values> void row(const QByteArray& name, const Values&... values)
{
    (QTest::newRow(name.constData()) << ... << values);
}

inline void flagRows(const char* column, const char* whenFalse, const char* whenTrue)
{
    QTest::addColumn<bool>(column);
    QTest::newRow(whenFalse) << false;
    QTest::newRow(whenTrue) << true;
}

inline void themeRows()
{
    QTest::addColumn<int>("theme");
    for (int theme = 1; theme <= 5; ++theme)
        QTest::addRow("theme %d", theme) << theme;
}

} // namespace zv::test
