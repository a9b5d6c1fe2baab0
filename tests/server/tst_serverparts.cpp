// The demo portal's own helpers: reading what clients send, the attribute
// guards of its pages, and its Flash writer.
#include "server/charset.h"
#include "server/pages.h"
#include "server/query.h"
#include "server/swfwriter.h"
#include "swfcheck.h"

#include <QtTest>

class TestServerParts : public QObject {
    Q_OBJECT

private slots:
    void clientNames_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("name");
        QTest::newRow("escaped, encoded") << QByteArray("R%25E%25flexion") << QStringLiteral("Réflexion");
        QTest::newRow("escaped") << QByteArray("R%E%flexion") << QStringLiteral("Réflexion");
        QTest::newRow("escape before hex") << QByteArray("Caf%25E%25ab") << QStringLiteral("Caféab");
        QTest::newRow("Windows-1252 encoded")
            << QByteArray("Plan%E8te+m%E9moire") << QStringLiteral("Planète mémoire");
        QTest::newRow("Windows-1252 raw")
            << QByteArray("Plan\xE8te m\xE9moire") << QStringLiteral("Planète mémoire");
        QTest::newRow("UTF-8 encoded")
            << QByteArray("Plan%C3%A8te%20m%C3%A9moire") << QStringLiteral("Planète mémoire");
        QTest::newRow("double-encoded space") << QByteArray("mon%2520chat") << QStringLiteral("mon chat");
        QTest::newRow("lone percent") << QByteArray("100%") << QStringLiteral("100%");
        QTest::newRow("euro sign") << QByteArray("%80") << QStringLiteral("€");
        QTest::newRow("empty") << QByteArray() << QString();
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
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("safeColour");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("safeLength");
        QTest::newRow("plain") << "fe00cb"
                               << "FE00CB"
                               << "100%"
                               << "100%";
        QTest::newRow("hash") << "#123abc"
                              << "123ABC"
                              << "550"
                              << "550";
        QTest::newRow("pixels") << "00000"
                                << "FFFFFF"
                                << "550px"
                                << "550";
        QTest::newRow("injection") << "red;}body{"
                                   << "FFFFFF"
                                   << "100%\"><script>"
                                   << "100%";
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
