// The programme guide: XMLTV as guides are written (offsets, gzip, damage),
// the index's queries, its cache form and the worker that reads it.
#include "portal/tv/guideloader.h"
#include "portal/tv/xmltv.h"
#include "support/table.h"
#include "support/tvsamples.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray programme(
    const char* channel, const QByteArray& start, const QByteArray& stop, const QByteArray& inside)
{
    QByteArray p = "<programme start=\"" + start + "\"";
    if (!stop.isNull())
        p += " stop=\"" + stop + "\"";
    return p + " channel=\"" + channel + "\">" + inside + "</programme>\n";
}

QByteArray titled(
    const char* channel, const QByteArray& start, const QByteArray& stop, const QByteArray& title)
{
    return programme(channel, start, stop, "<title>" + title + "</title>");
}

// Every programme as "channel HHmm-HHmm title", times in UTC.
QStringList describe(const zv::GuideIndex& guide)
{
    QStringList out;
    for (int c = 0; c < guide.channelCount(); ++c) {
        for (int i = 0; i < guide.programmeCount(c); ++i) {
            const zv::GuideProgramme p = guide.programme(c, i);
            QString line = guide.channelId(c) + u' ' + p.startTime().toString(u"HHmm") + u'-'
                + p.stopTime().toString(u"HHmm") + u' ' + p.title;
            if (!p.subTitle.isEmpty())
                line += QStringLiteral(" / ") + p.subTitle;
            if (!p.description.isEmpty())
                line += QStringLiteral(" [") + p.description + u']';
            out += line;
        }
    }
    return out;
}

const QByteArray typical = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
                           "<channel id=\"a\"><display-name>A</display-name></channel>\n"
    + titled("a", "20240501120000 +0200", "20240501130000 +0200", "Midi")
    + titled("a", "20240501080000 -0500", "20240501083000 -0500", "Matin à New York")
    + titled("a", "20240501140000", "20240501150000", "Sans décalage") + "</tv>\n";
const QStringList typicalRows
    = {"a 1000-1100 Midi", "a 1300-1330 Matin à New York", "a 1400-1500 Sans décalage"};

} // namespace

class TestXmltv : public QObject {
    Q_OBJECT

private slots:
    void times_data()
    {
        // expected: invalid: no time
        zv::test::columns<QString, QDateTime>("text", "expected");
        const auto at = [](int h, int m, int s, int offset) {
            return QDateTime(QDate(2024, 5, 1), QTime(h, m, s), QTimeZone(offset));
        };
        zv::test::row("offset", "20240501120000 +0200", at(12, 0, 0, 7200));
        zv::test::row("negative half-hour offset", "20240501120000 -0330", at(12, 0, 0, -12600));
        zv::test::row("no offset: UTC", "20240501120000", at(12, 0, 0, 0));
        zv::test::row("no seconds", "202405011205 +0100", at(12, 5, 0, 3600));
        zv::test::row("hours only", "2024050112", at(12, 0, 0, 0));
        zv::test::row("offset with a colon", "20240501120000 +05:45", at(12, 0, 0, 20700));
        zv::test::row("Z", "20240501120000Z", at(12, 0, 0, 0));
        zv::test::row("offset of hours", " 20240501120000 +02 ", at(12, 0, 0, 7200));
        zv::test::row("across midnight", "20240501003000 +0200", at(0, 30, 0, 7200));
        zv::test::row("dashes", "2024-05-01 12:00", QDateTime());
        zv::test::row("month 13", "20241301120000", QDateTime());
        zv::test::row("hour 24", "20240501240000", QDateTime());
        zv::test::row("offset out of range", "20240501120000 +2500", QDateTime());
        zv::test::row("empty", "", QDateTime());
    }
    void times()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const std::optional<qint64> t = zv::ParseXmltvTime(text);
        QCOMPARE(t.has_value(), expected.isValid());
        if (t)
            QCOMPARE(*t, expected.toSecsSinceEpoch());
    }

    void read_data()
    {
        // error: part of the message, empty when read whole
        zv::test::columns<QByteArray, QStringList, QString>("body", "rows", "error");

        zv::test::row("offsets to UTC", typical, typicalRows, QString());
        zv::test::row("missing stop, stop before start",
            "<tv>" + titled("a", "20240501100000", nullptr, "Sans fin")
                + titled("a", "20240501110000", "20240501103000", "Fin avant le début")
                + titled("a", "20240501120000", nullptr, "Dernière") + "</tv>",
            QStringList{"a 1000-1100 Sans fin", "a 1100-1200 Fin avant le début", "a 1200-1200 Dernière"},
            QString());
        zv::test::row("repeats, overlaps by a second, out of order",
            "<tv>" + titled("a", "20240501120000", "20240501130001", "B")
                + titled("a", "20240501100000", "20240501120000", "A")
                + titled("a", "20240501120000", "20240501130000", "B encore")
                + titled("a", "20240501130000", "20240501140000", "C") + "</tv>",
            QStringList{"a 1000-1200 A", "a 1200-1300 B", "a 1300-1400 C"}, QString());
        zv::test::row("channels the guide never declares; ids with spaces, in any script",
            "<tv><channel id=\"TF1 HD.fr\"><display-name>TF1</display-name></channel>"
            "<channel id=\"Первый канал\"/>"
                + titled("Первый канал", "20240501100000", "20240501110000", "Новости")
                + titled("inconnue", "20240501100000", "20240501110000", "X")
                + titled("TF1 HD.fr", "20240501100000", "20240501110000", "JT") + "</tv>",
            QStringList{"TF1 HD.fr 1000-1100 JT", "Первый канал 1000-1100 Новости", "inconnue 1000-1100 X"},
            QString());
        zv::test::row("French first, sub-title and description",
            "<tv>"
                + programme("a", "20240501100000", "20240501110000",
                    "<title lang=\"en\">News</title><title lang=\"fr\">Journal</title><title "
                    "lang=\"fr\">JT</title>"
                    "<sub-title>Édition\n  du   matin</sub-title><desc lang=\"en\">Today</desc>"
                    "<desc lang=\"fr-FR\">  Les   titres\n du jour. "
                    "</desc><credits><actor>X</actor></credits>")
                + "</tv>",
            QStringList{"a 1000-1100 Journal / Édition du matin [Les titres du jour.]"}, QString());
        zv::test::row("CDATA, references, a bare ampersand",
            "<tv>" + titled("a", "20240501100000", "20240501110000", "<![CDATA[Tom & Jerry <3 &amp;]]>")
                + titled("a", "20240501110000", "20240501120000",
                    "Caf&eacute; &amp; cr&#232;me&nbsp;&#x263A; x & y &bogus;")
                + "</tv>",
            QStringList{"a 1000-1100 Tom & Jerry <3 &amp;", "a 1100-1200 Café & crème\u00a0☺ x & y &bogus;"},
            QString());
        zv::test::row("ISO-8859-1",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><tv>"
                + titled("a", "20240501100000", "20240501110000", "\xc9t\xe9 \xe0 la plage") + "</tv>",
            QStringList{"a 1000-1100 Été à la plage"}, QString());
        zv::test::row("said UTF-8, written in Latin-1",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><tv>"
                + titled("a", "20240501100000", "20240501110000", "\xc9t\xe9 \xe0 la plage") + "</tv>",
            QStringList{"a 1000-1100 Été à la plage"}, QString());
        zv::test::row("comments, doctype with its own subset, instructions",
            "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE tv [ <!ENTITY x \"<tv>\"> ]>\n<!-- <tv> "
            "-->\n<tv>"
            "<?xmltv stuff?><!-- <programme> -->"
                + titled("a", "20240501100000", "20240501110000", "A<!-- B -->") + "</tv><!-- après -->",
            QStringList{"a 1000-1100 A"}, QString());
        zv::test::row("truncated",
            "<tv>" + titled("a", "20240501100000", "20240501110000", "Entier")
                + "<programme start=\"20240501110000\" stop=\"20240501120000\" channel=\"a\"><title>Co",
            QStringList{"a 1000-1100 Entier", "a 1100-1200 Co"}, "incomplet");
        zv::test::row("truncated inside a tag",
            "<tv>" + titled("a", "20240501100000", "20240501110000", "Entier") + "<programme start=\"2024",
            QStringList{"a 1000-1100 Entier"}, "incomplet");
        zv::test::row("malformed end tags: read on, the line told",
            "<tv>\n"
                + programme("a", "20240501100000", "20240501110000",
                    "<title>A</title></episode-num><desc>x<br>y</desc>")
                + titled("a", "20240501110000", "20240501120000", "B") + "</tv>",
            QStringList{"a 1000-1100 A [xy]", "a 1100-1200 B"}, "ligne 2");
        zv::test::row("a quote never closed",
            "<tv>"
                + QByteArray("<programme start=\"20240501100000 channel=\"a\"><title>A</title></programme>")
                + titled("a", "20240501110000", "20240501120000", "B") + "</tv>",
            QStringList{"a 1100-1200 B"}, "abîmé");
        zv::test::row("web page", QByteArray("<!DOCTYPE html>\n<html><head><title>404</title></head></html>"),
            QStringList(), "page web");
        zv::test::row("not a guide", QByteArray("<?xml version=\"1.0\"?><rss><channel/></rss>"),
            QStringList(), "pas un guide");
        zv::test::row(
            "binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), QStringList(), "pas un guide");
        zv::test::row(
            "no programme", QByteArray("<tv><channel id=\"a\"/></tv>"), QStringList(), "aucun programme");
        zv::test::row("empty", QByteArray(), QStringList(), "vide");
        // Compressed: told by the bytes, not by a name.
        zv::test::row("gzip", zv::test::gzipped(typical), typicalRows, QString());
        zv::test::row("gzip in two members",
            zv::test::gzipped(typical.first(100)) + zv::test::gzipped(typical.sliced(100)), typicalRows,
            QString());
        zv::test::row("gzip damaged", zv::test::gzipped(typical).first(10) + QByteArray(200, '\x55'),
            QStringList(), "compressé");
    }
    void read()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        const zv::GuideReading reading = zv::ReadGuide(body);
        QVERIFY(reading.index);
        QCOMPARE(describe(*reading.index), rows);
        if (error.isEmpty())
            QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
        else
            QVERIFY2(reading.error.contains(error), qPrintable(reading.error));
    }

    void gzipCutShort()
    {
        const QByteArray gz = zv::test::gzipped(typical);
        const zv::GuideReading reading = zv::ReadGuide(gz.first(gz.size() - 12));
        const QStringList rows = describe(*reading.index);
        QCOMPARE(rows, typicalRows.first(rows.size()));
        QVERIFY2(reading.error.contains(u"incomplet"), qPrintable(reading.error));
    }

    void longDescriptionsAreShortened()
    {
        const QByteArray words = QByteArray("Un résumé très détaillé ").repeated(40);
        const zv::GuideReading reading = zv::ReadGuide("<tv>"
            + programme("a", "20240501100000", "20240501110000", "<desc>" + words + "</desc>") + "</tv>");
        const QString description = reading.index->programme(0, 0).description;
        QVERIFY(description.size() < 260);
        QVERIFY(description.endsWith(u"détaillé…") || description.endsWith(u"résumé…")
            || description.endsWith(u"très…") || description.endsWith(u"Un…"));
        QVERIFY(QString::fromUtf8(words).startsWith(description.chopped(1)));
    }

    // A day around the change to summer time in Paris, which lasts 23 hours.
    void queries()
    {
        const auto paris = [](int month, int d, int h, int m) {
            return QDateTime(QDate(2024, month, d), QTime(h, m), QTimeZone("Europe/Paris"));
        };
        const auto xmltv
            = [](const QDateTime& t) { return t.toUTC().toString(u"yyyyMMddHHmmss").toLatin1() + " +0000"; };
        const QByteArray body
            = "<tv><channel id=\"Chaîne.Test\"><display-name>Chaîne Test</display-name></channel>"
            + titled("Chaîne.Test", xmltv(paris(3, 30, 23, 0)), xmltv(paris(3, 31, 1, 0)), "Nuit")
            + titled("Chaîne.Test", xmltv(paris(3, 31, 1, 0)), xmltv(paris(3, 31, 3, 0)), "Avant")
            + titled("Chaîne.Test", xmltv(paris(3, 31, 3, 0)), xmltv(paris(3, 31, 23, 30)), "Jour")
            + titled("Chaîne.Test", xmltv(paris(3, 31, 23, 30)), xmltv(paris(4, 1, 0, 30)), "Tard") + "</tv>";
        const zv::GuideReading reading = zv::ReadGuide(body);
        const zv::GuideIndex& g = *reading.index;
        const int c = g.channelForId(u"Chaîne.Test");
        QCOMPARE(c, 0);

        const auto titles = [&](QDate day) {
            QStringList out;
            for (const zv::GuideProgramme& p : g.day(c, day, QTimeZone("Europe/Paris")))
                out += p.title;
            return out;
        };
        QCOMPARE(titles(QDate(2024, 3, 31)), (QStringList{"Nuit", "Avant", "Jour", "Tard"}));
        QCOMPARE(titles(QDate(2024, 3, 30)), QStringList{"Nuit"});
        QCOMPARE(titles(QDate(2024, 3, 29)), QStringList());

        const zv::NowNext midnight = g.nowNext(c, paris(3, 31, 0, 0));
        QCOMPARE(midnight.now->title, "Nuit");
        QCOMPARE(midnight.progress, 0.5);
        QCOMPARE(midnight.next->title, "Avant");
        const zv::NowNext before = g.nowNext(c, paris(3, 30, 12, 0));
        QVERIFY(!before.now);
        QCOMPARE(before.next->title, "Nuit");
        const zv::NowNext after = g.nowNext(c, paris(4, 2, 1, 0));
        QVERIFY(!after.now && !after.next);
        QVERIFY(!g.nowNext(-1, 0).now && !g.nowNext(7, 0).next);
        QCOMPARE(g.firstStart(), paris(3, 30, 23, 0).toSecsSinceEpoch());

        // A list row's channel: tvg-id as written or in another case, else a name.
        QCOMPARE(g.matchRow(u"Chaîne.Test", u"", u""), c);
        QCOMPARE(g.matchRow(u"CHAÎNE.TEST", u"", u""), c);
        QCOMPARE(g.matchRow(u"autre.fr", u"FR: Chaine test HD", u""), c);
        QCOMPARE(g.matchRow(u"", u"", u"chaîne  TEST"), c);
        QCOMPARE(g.matchRow(u"autre.fr", u"Autre", u"Autre HD"), -1);
        QVERIFY(g.declared(c));
    }

    void cache()
    {
        const zv::GuideReading reading = zv::ReadGuide(
            zv::test::generatedGuide(5, 2, QDateTime(QDate(2024, 5, 1), QTime(0, 0), QTimeZone::utc())));
        const QByteArray saved = reading.index->save();
        const std::optional<zv::GuideIndex> loaded = zv::GuideIndex::load(saved);
        QVERIFY(loaded);
        QCOMPARE(describe(*loaded), describe(*reading.index));
        QCOMPARE(loaded->channelForName(u"C3"), 3);
        QCOMPARE(describe(*zv::ReadGuide(saved).index), describe(*reading.index));

        // A damaged cache file gives nothing, or an index whose every text
        // lies within it: never a read out of bounds.
        QVERIFY(!zv::GuideIndex::load(saved.chopped(1)));
        QVERIFY(!zv::GuideIndex::load(saved + 'x'));
        QVERIFY(!zv::ReadGuide(saved.first(100)).error.isEmpty());
        for (qsizetype at = 0; at < qMin<qsizetype>(saved.size(), 3000); at += 3) {
            for (const char bad : {'\xff', '\x7f', '\0'}) {
                QByteArray damaged = saved;
                damaged[at] = bad;
                if (const std::optional<zv::GuideIndex> g = zv::GuideIndex::load(damaged)) {
                    for (int c = 0; c < g->channelCount(); ++c)
                        g->nowNext(c, g->firstStart() + 3600), g->displayNames(c);
                    describe(*g);
                }
            }
        }
    }

    void loader()
    {
        QTemporaryDir dir;
        const QString big = dir.filePath(u"guide.xml.gz"_qs);
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(zv::test::gzipped(zv::test::generatedGuide(300, 7, QDateTime::currentDateTimeUtc())));
        file.close();

        zv::GuideLoader loader;
        QSignalSpy finished(&loader, &zv::GuideLoader::finished);
        loader.start(big);
        QVERIFY(loader.isRunning());
        QVERIFY(finished.wait(60000));
        const auto index = finished.at(0).at(0).value<std::shared_ptr<const zv::GuideIndex>>();
        QCOMPARE(index->channelCount(), 300);
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        QVERIFY(!loader.isRunning());

        // Only the last reading started finishes; a cancelled one says nothing.
        finished.clear();
        loader.start(big);
        loader.start(typical);
        QVERIFY(finished.wait(60000));
        loader.start(big);
        loader.cancel();
        QVERIFY(!loader.isRunning());
        loader.start(QByteArray("<rss/>"));
        QVERIFY(finished.wait(60000));
        QTest::qWait(50);
        QCOMPARE(finished.size(), 2);
        QCOMPARE(finished.at(0).at(0).value<std::shared_ptr<const zv::GuideIndex>>()->channelCount(), 1);
        QVERIFY(finished.at(1).at(1).toString().contains(u"pas un guide"));

        // Destroyed while it reads: it stops and waits for its thread.
        auto gone = std::make_unique<zv::GuideLoader>();
        gone->start(big);
        gone.reset();
    }
};

QTEST_GUILESS_MAIN(TestXmltv)
#include "tst_xmltv.moc"
