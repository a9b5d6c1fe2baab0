// The demo portal's own helpers: reading what clients send, the attribute
// guards of its pages, its page layouts, its byte ranges, and its Flash writer.
#include "server/charset.h"
#include "server/pages.h"
#include "server/query.h"
#include "server/ranges.h"
#include "server/swfwriter.h"
#include "support/table.h"
#include "swfcheck.h"

#include <QtTest>
#include <stdexcept>

using Layouts = QMap<QString, QString>;
Q_DECLARE_METATYPE(zvs::ByteRange::Kind)

namespace {

// The modification time of the file the If-Range rows are about.
QDateTime fileTime()
{
    return QDateTime(QDate(2024, 3, 9), QTime(7, 5, 3, 250), QTimeZone::utc());
}

} // namespace

class TestServerParts : public QObject {
    Q_OBJECT

private slots:
    void clientNames_data()
    {
        zv::test::columns<QByteArray, QString>("raw", "name");
        zv::test::row("escaped, encoded", QByteArray("R%25E%25flexion"), QStringLiteral("Réflexion"));
        zv::test::row("escaped", QByteArray("R%E%flexion"), QStringLiteral("Réflexion"));
        zv::test::row("escape before hex", QByteArray("Caf%25E%25ab"), QStringLiteral("Caféab"));
        zv::test::row(
            "Windows-1252 encoded", QByteArray("Plan%E8te+m%E9moire"), QStringLiteral("Planète mémoire"));
        zv::test::row(
            "Windows-1252 raw", QByteArray("Plan\xE8te m\xE9moire"), QStringLiteral("Planète mémoire"));
        zv::test::row(
            "UTF-8 encoded", QByteArray("Plan%C3%A8te%20m%C3%A9moire"), QStringLiteral("Planète mémoire"));
        zv::test::row("double-encoded space", QByteArray("mon%2520chat"), QStringLiteral("mon chat"));
        zv::test::row("lone percent", QByteArray("100%"), QStringLiteral("100%"));
        zv::test::row("euro sign", QByteArray("%80"), QStringLiteral("€"));
        zv::test::row("empty", QByteArray(), QString());
    }

    void clientNames()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, name);
        QCOMPARE(zvs::clientName(raw), name);
    }

    void windows1252RoundTrip()
    {
        const QString text = QStringLiteral("€ œ ’ « été » Ÿ");
        const QByteArray bytes = zvs::toCp1252(text);
        QCOMPARE(bytes.size(), text.size());
        QCOMPARE(bytes.at(0), '\x80');
        QCOMPARE(zvs::fromCp1252(bytes), text);
        QCOMPARE(zvs::toCp1252(QStringLiteral("日本")), QByteArray("??"));
    }

    void queryValues()
    {
        const zvs::Query q("t=3&colid&jeu=A+B&url=http://h/x.jpg?a=1&b=2");
        QVERIFY(q.has("colid"));
        QCOMPARE(*q.value("jeu"), QByteArray("A B"));
        QCOMPARE(*q.rest("url"), QByteArray("http://h/x.jpg?a=1&b=2"));
        QVERIFY(!q.value("c"));
        QVERIFY(!zvs::parseCount("-1", 100));
        QVERIFY(!zvs::parseCount("101", 100));
        QVERIFY(!zvs::parseCount("99999999999999999999", 100));
        QCOMPARE(*zvs::parseCount(" 42 ", 100), 42L);
    }

    void pageGuards_data()
    {
        zv::test::columns<QString, QString, QString, QString>("colour", "safeColour", "length", "safeLength");
        zv::test::row("plain", "fe00cb", "FE00CB", "100%", "100%");
        zv::test::row("hash", "#123abc", "123ABC", "550", "550");
        zv::test::row("pixels", "00000", "FFFFFF", "550px", "550");
        zv::test::row("injection", "red;}body{", "FFFFFF", "100%\"><script>", "100%");
    }

    void pageGuards()
    {
        QFETCH(QString, colour);
        QFETCH(QString, safeColour);
        QFETCH(QString, length);
        QFETCH(QString, safeLength);
        QCOMPARE(zvs::safeColour(colour), safeColour);
        QCOMPARE(zvs::safeLength(length), safeLength);
    }

    void layouts_data()
    {
        zv::test::columns<QString, Layouts, QString>("page", "layouts", "shown");
        const QString cadre = "<h1>{{titre}}</h1>\n{{tete}}\n<p>{{contenu}}</p>\n<i>{{absent}}</i>\n";
        const Layouts frame{{"cadre", cadre}};
        zv::test::row("no layout", "<p>{{titre}} {{BASE}}</p>\n", Layouts(), "<p>{{titre}} {{BASE}}</p>\n");
        zv::test::row("inline and block slots",
            "{{modele:}} cadre\n{{titre:}} Été\n{{tete:}}\na\n\nb\n{{contenu:}}\n{{BASE}}/x\n", frame,
            "<h1>Été</h1>\na\n\nb\n<p>{{BASE}}/x</p>\n<i></i>\n");
        zv::test::row("empty slot takes its line", "{{modele:}} cadre\n{{titre:}} T\n{{contenu:}} c", frame,
            "<h1>T</h1>\n<p>c</p>\n<i></i>\n");
        zv::test::row("nested layouts", "{{modele:}} pub\n{{fond:}} #123\n{{contenu:}}\nlien\n",
            Layouts{{"cadre", cadre},
                {"pub", "{{modele:}} cadre\n{{titre:}} Pub {{fond}}\n{{contenu:}}\n{{contenu}}\n"}},
            "<h1>Pub #123</h1>\n<p>lien</p>\n<i></i>\n");
    }

    void layouts()
    {
        QFETCH(QString, page);
        QFETCH(Layouts, layouts);
        QFETCH(QString, shown);
        QCOMPARE(zvs::renderPage(page, [&](const QString& name) { return layouts.value(name); }), shown);
    }

    void layoutThatCannotBeUsed()
    {
        auto render = [](const QString& page) {
            return zvs::renderPage(
                page, [](const QString&) { return QStringLiteral("{{modele:}} boucle\n"); });
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, render(QStringLiteral("{{modele:}} ../secret\n")));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, render(QStringLiteral("{{modele:}} boucle\n")));
    }

    void ranges_data()
    {
        zv::test::columns<QByteArray, qint64, zvs::ByteRange::Kind, qint64, qint64>(
            "header", "size", "kind", "first", "last");
        using K = zvs::ByteRange;
        zv::test::row("first and last", QByteArray("bytes=100-199"), 1000ll, K::Part, 100ll, 199ll);
        zv::test::row("from a position", QByteArray("bytes=500-"), 1000ll, K::Part, 500ll, 999ll);
        zv::test::row("last bytes", QByteArray("bytes=-50"), 1000ll, K::Part, 950ll, 999ll);
        zv::test::row(
            "more last bytes than the file", QByteArray("bytes=-5000"), 1000ll, K::Part, 0ll, 999ll);
        zv::test::row("past the end", QByteArray("bytes=990-2000"), 1000ll, K::Part, 990ll, 999ll);
        zv::test::row("spaces", QByteArray(" bytes = 0-0 "), 1000ll, K::Part, 0ll, 0ll);
        zv::test::row("starts at the end", QByteArray("bytes=1000-"), 1000ll, K::Unsatisfiable, 0ll, -1ll);
        zv::test::row("no last bytes", QByteArray("bytes=-0"), 1000ll, K::Unsatisfiable, 0ll, -1ll);
        zv::test::row("empty file", QByteArray("bytes=0-"), 0ll, K::Unsatisfiable, 0ll, -1ll);
        zv::test::row("backwards", QByteArray("bytes=5-1"), 1000ll, K::Whole, 0ll, -1ll);
        zv::test::row("not numbers", QByteArray("bytes=abc"), 1000ll, K::Whole, 0ll, -1ll);
        zv::test::row("negative", QByteArray("bytes=-5-9"), 1000ll, K::Whole, 0ll, -1ll);
        zv::test::row("other unit", QByteArray("items=0-1"), 1000ll, K::Whole, 0ll, -1ll);
        zv::test::row("several", QByteArray("bytes=0-1,5-6"), 1000ll, K::Whole, 0ll, -1ll);
        zv::test::row("overflow", QByteArray("bytes=99999999999999999999-"), 1000ll, K::Whole, 0ll, -1ll);
        zv::test::row("nothing", QByteArray(), 1000ll, K::Whole, 0ll, -1ll);
    }

    void ranges()
    {
        QFETCH(QByteArray, header);
        QFETCH(qint64, size);
        QFETCH(zvs::ByteRange::Kind, kind);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        const zvs::ByteRange r = zvs::selectRange(header, size);
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.first, first);
        QCOMPARE(r.last, last);
    }

    void ifRange_data()
    {
        zv::test::columns<QByteArray, bool>("ifRange", "holds");
        const QByteArray tag = zvs::entityTag(1234, fileTime());
        zv::test::row("same tag", tag, true);
        zv::test::row("tag of another size", zvs::entityTag(1235, fileTime()), false);
        zv::test::row("tag of another time", zvs::entityTag(1234, fileTime().addSecs(1)), false);
        zv::test::row("weak tag", "W/" + tag, false);
        zv::test::row("same date", QByteArray("Sat, 09 Mar 2024 07:05:03 GMT"), true);
        zv::test::row("date a second earlier", QByteArray("Sat, 09 Mar 2024 07:05:02 GMT"), false);
        zv::test::row("not a date", QByteArray("hier"), false);
    }

    void ifRange()
    {
        QFETCH(QByteArray, ifRange);
        QFETCH(bool, holds);
        QCOMPARE(zvs::httpDate(fileTime()), QByteArray("Sat, 09 Mar 2024 07:05:03 GMT"));
        QCOMPARE(zvs::ifRangeHolds(ifRange, zvs::entityTag(1234, fileTime()), fileTime()), holds);
    }

    void swfWriter()
    {
        zvs::SwfMovie m;
        m.width = 300;
        m.height = 200;
        m.background = zvs::SwfColour::fromHex(QStringLiteral("#102030"));
        m.shapes.append({zvs::regularPolygon(4, 40, 45), zvs::SwfColour{200, 10, 10}});
        for (int f = 0; f < 70; ++f) // enough placements for a long ShowFrame list
            m.frames.append({{0, 1, QPointF(10 + f * 4, 100 - f), f * 5.0, 1.0}});
        const QByteArray data = zvs::writeSwf(m);
        const SwfSummary s = readSwf(data);
        QVERIFY2(s.valid, s.error.constData());
        QCOMPARE(s.frameCount, 70);
        QCOMPARE(s.widthTwips, 6000);
        QCOMPARE(s.heightTwips, 4000);
        QCOMPARE(s.tags.value(0), 69); // file attributes first
        QCOMPARE(s.tags.value(1), 9);
        QCOMPARE(s.tags.value(2), 2);
        QCOMPARE(int(s.tags.count(26)), 70);
        // The background colour follows its tag header.
        QCOMPARE(data.mid(data.indexOf(QByteArray("\x43\x02", 2)) + 2, 3), QByteArray("\x10\x20\x30"));
    }
};

QTEST_GUILESS_MAIN(TestServerParts)
#include "tst_serverparts.moc"
