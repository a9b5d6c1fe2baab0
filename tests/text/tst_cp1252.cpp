#include "portal/cp1252.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << "Abc 1;"_ba << u"Abc 1;"_s;
        QTest::newRow("latin1") << "\xE9\xE0\xFF\xA0"_ba << u"\u00E9\u00E0\u00FF\u00A0"_s;
        QTest::newRow("euro oe quotes") << "\x80\x9C\x92\x85"_ba << u"\u20AC\u0153\u2019\u2026"_s;
        QTest::newRow("undefined bytes") << "\x81\x8D\x8F\x90\x9D"_ba << u"\u0081\u008D\u008F\u0090\u009D"_s;
        QTest::newRow("nul") << QByteArray("a\0b", 3) << QString(u"a\0b"_s);
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(zv::fromCp1252(bytes), text);
        QCOMPARE(zv::toCp1252(text), bytes);
    }

    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int c = 0; c < 256; ++c)
            all += char(c);
        const QString text = zv::fromCp1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(zv::toCp1252(text), all);
    }

    void unmappable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cyrillic") << u"\u0416a"_s << "?a"_ba;
        QTest::newRow("C1 not in table") << u"\u0080\u0099"_s << "??"_ba;
        QTest::newRow("outside the BMP") << u"x\U0001F600y"_s << "x?y"_ba;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + u"z"_s << "?z"_ba;
    }
    void unmappable()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(zv::toCp1252(text), bytes);
    }
};

QTEST_APPLESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
