#include "portal/cp1252.h"
#include "support/table.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        zv::test::columns<QByteArray, QString>("bytes", "text");
        zv::test::row("ascii", "Abc 1;"_ba, u"Abc 1;"_s);
        zv::test::row("latin1", "\xE9\xE0\xFF\xA0"_ba, u"\u00E9\u00E0\u00FF\u00A0"_s);
        zv::test::row("euro oe quotes", "\x80\x9C\x92\x85"_ba, u"\u20AC\u0153\u2019\u2026"_s);
        zv::test::row("undefined bytes", "\x81\x8D\x8F\x90\x9D"_ba, u"\u0081\u008D\u008F\u0090\u009D"_s);
        zv::test::row("nul", QByteArray("a\0b", 3), QString(u"a\0b"_s));
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
        zv::test::columns<QString, QByteArray>("text", "bytes");
        zv::test::row("cyrillic", u"\u0416a"_s, "?a"_ba);
        zv::test::row("C1 not in table", u"\u0080\u0099"_s, "??"_ba);
        zv::test::row("outside the BMP", u"x\U0001F600y"_s, "x?y"_ba);
        zv::test::row("lone surrogate", QString(QChar(0xD800)) + u"z"_s, "?z"_ba);
    }
    void unmappable()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(zv::toCp1252(text), bytes);
    }

    void fromUtf8_data()
    {
        zv::test::columns<QByteArray, QByteArray>("utf8", "bytes");
        zv::test::row("latin-1 accents", "\xC3\xA9t\xC3\xA9 \xC3\x89"_ba, "\xE9t\xE9 \xC9"_ba);
        zv::test::row("windows-1252 only",
            "l\xE2\x80\x99\xC5\x93uvre \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D\xE2\x80\xA6"_ba,
            "l\x92\x9Cuvre \x80 \x93x\x94\x85"_ba);
        zv::test::row("outside windows-1252", "\xD0\x96 \xF0\x9F\x8E\x99 \xE2\x86\x92"_ba, "? ? ?"_ba);
        // Windows-1252 text once read as Latin-1 and encoded: the byte meant.
        zv::test::row("C1 control", "\xC2\x92"_ba, "\x92"_ba);
        zv::test::row("single-byte text kept", "caf\xE9 cr\xE8me \x80"_ba, "caf\xE9 cr\xE8me \x80"_ba);
        zv::test::row("byte order mark at the start only", "\xEF\xBB\xBF&a\xEF\xBB\xBF"_ba, "&a?"_ba);
        zv::test::row("cut sequence", "a\xE2\x80"_ba, "a\xE2\x80"_ba);
        zv::test::row("overlong, surrogate, beyond U+10FFFF",
            "\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80"_ba,
            "\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80"_ba);
    }
    void fromUtf8()
    {
        QFETCH(QByteArray, utf8);
        QTEST(zv::utf8ToCp1252(utf8), "bytes");
    }

    void wideReferences_data()
    {
        zv::test::columns<QByteArray, QByteArray>("text", "bytes");
        zv::test::row("quotes as feeds write them", "l&#8217;&#x201C;&#X201d;&rsquo;&hellip;&#039;&apos;"_ba,
            "l\x92\x93\x94\x92\x85''"_ba);
        zv::test::row("outside windows-1252, null, too big", "&#8594;&#0;&#1114112;&#xD800;"_ba, "????"_ba);
        zv::test::row("not references", "A & B; &#; &#x; &#12a; &nope; &#82171234567;"_ba,
            "A & B; &#; &#x; &#12a; &nope; &#82171234567;"_ba);
        zv::test::row("cut at the end", "x &#8217"_ba, "x &#8217"_ba);
    }
    void wideReferences()
    {
        QFETCH(QByteArray, text);
        QTEST(zv::decodeWideReferences(text), "bytes");
    }
};

QTEST_APPLESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
