#include "portal/textutil.h"
#include "support/table.h"
#include "textreference.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

// Pieces that make references, half-references and chains likely in random text.
static const QList<QByteArray> fragments = {
    "&",
    "#",
    "x",
    ";",
    "&#",
    "&#x",
    "&#3",
    "&#38;",
    "&#x26;",
    "&amp;",
    "&#35;",
    "&#59;",
    "&#x3b;",
    "&lt",
    "lt;",
    "gt;",
    "amp;",
    "quot;",
    "&#6",
    "0",
    "1",
    "2",
    "3",
    "4",
    "5",
    "6",
    "8",
    "9",
    "a",
    "b",
    "c",
    "f",
    "&#48;",
    "&#49;",
    "&#x30;",
    "&#120;",
    "&#x78;",
    "&#97;",
    "&#109;",
    "&#112;",
    "&#108;",
    "&#116;",
    "Agrave",
    "uml",
    "nbsp;",
    "&yuml;",
    "&#255;",
    "&#xff;",
    "&#0;",
    "&#x0;",
    "&#xC3;",
    "\xC3",
    "\x83",
    "\x43",
    "\x03",
    "\xA9",
    "\xC3\x83",
    " ",
    "&&",
    ";;",
    "z",
    "Z",
};

static QByteArray randomText(QRandomGenerator& rng, int pieces)
{
    QByteArray text;
    for (int i = 0; i < pieces; ++i) {
        if (rng.bounded(8) == 0)
            text += char(rng.bounded(256));
        else
            text += fragments[rng.bounded(int(fragments.size()))];
    }
    return text;
}

class TestTextUtil : public QObject {
    Q_OBJECT
private slots:
    void colorToHtml_data()
    {
        zv::test::columns<QColor, QByteArray>("colour", "html");
        zv::test::row("red", QColor(Qt::red), "FF0000"_ba);
        zv::test::row("blue", QColor(0, 0, 255), "0000FF"_ba);
        zv::test::row("mixed", QColor(0x12, 0xAB, 0x0C), "12AB0C"_ba);
        zv::test::row("black", QColor(Qt::black), "000000"_ba);
        zv::test::row("named", QColor(u"lightgray"_s), "D3D3D3"_ba);
        zv::test::row("hsv", QColor::fromHsv(120, 255, 255), "00FF00"_ba);
        zv::test::row("invalid", QColor(), "000000"_ba);
    }
    void colorToHtml()
    {
        QFETCH(QColor, colour);
        QFETCH(QByteArray, html);
        QCOMPARE(ColorToHtml(colour), html);
    }

    void decodeEntities_data()
    {
        zv::test::columns<QByteArray, QByteArray>("in", "out");
        zv::test::row("plain", "Hello world"_ba, "Hello world"_ba);
        zv::test::row("empty", QByteArray(), QByteArray());
        zv::test::row("named", "&lt;b&gt; &amp; &quot;"_ba, "<b> & \""_ba);
        zv::test::row(
            "latin1 names", "&eacute;&ntilde;&yuml;&nbsp;&AElig;&frac34;"_ba, "\xE9\xF1\xFF\xA0\xC6\xBE"_ba);
        zv::test::row("decimal", "&#242;&#0;&#65;"_ba, QByteArray("\xF2\0A", 3));
        zv::test::row("hex", "&#xf2;&#x0;&#x41;"_ba, QByteArray("\xF2\0A", 3));
        zv::test::row("capital name", "&LT;&Eacute;&EACUTE;"_ba, "&LT;\xC9&EACUTE;"_ba);
        zv::test::row("capital X", "&#X41;"_ba, "&#X41;"_ba);
        zv::test::row("capital hex digits", "&#xF2;"_ba, "&#xF2;"_ba);
        zv::test::row("leading zero", "&#065;&#x041;"_ba, "&#065;&#x041;"_ba);
        zv::test::row("beyond 255", "&#256;&#x100;&euro;"_ba, "&#256;&#x100;&euro;"_ba);
        zv::test::row("no semicolon", "&amp &#65"_ba, "&amp &#65"_ba);
        zv::test::row("decoded twice", "&#38;lt;"_ba, "<"_ba);
        zv::test::row("amp then name", "&amp;lt;"_ba, "<"_ba);
        zv::test::row("amp hex then decimal", "&#x26;#60;"_ba, "<"_ba);
        // Once a code is past, what forms it later stays.
        zv::test::row("same form again", "&#38;#38;"_ba, "&#38;"_ba);
        zv::test::row("name of an earlier code", "&#38;quot;"_ba, "&quot;"_ba);
        zv::test::row("amp then amp", "&#38;amp;"_ba, "&"_ba);
        zv::test::row("digit completes", "&#6&#48;;"_ba, "<"_ba);
        zv::test::row("digit too early", "&#3&#56;;"_ba, "&#38;"_ba);
        zv::test::row("semicolon completes", "&lt&#59;"_ba, "<"_ba);
        zv::test::row("semicolon too late", "&quot&#59;"_ba, "&quot;"_ba);
        zv::test::row("hash completes", "&&#35;60;"_ba, "<"_ba);
        zv::test::row("nested chain", "&#5&#5&#51;;;"_ba, "7"_ba);
        zv::test::row("through an ampersand", "&#6&#38;#48;;"_ba, "<"_ba);
        zv::test::row("dead below a kept one", "&#6&#999;0;"_ba, "&#6&#999;0;"_ba);
        zv::test::row("x made later", "&#&#120;41;"_ba, "&#x41;"_ba);
        zv::test::row("x made earlier", "&#&#120;f2;"_ba, "\xF2"_ba);
    }
    void decodeEntities()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(DecodeEntities(in), out);
        QCOMPARE(reference::decodeEntities(in), out);
    }

    void urlEncode_data()
    {
        zv::test::columns<QByteArray, QByteArray>("in", "out");
        zv::test::row("accent space t", "\xE9 t"_ba, "%e9+t"_ba);
        zv::test::row("kept", "AZaz09"_ba, "AZaz09"_ba);
        zv::test::row("punctuation", "a-b_c.d~e&f=g+h%"_ba, "a%2db%5fc%2ed%7ee%26f%3dg%2bh%25"_ba);
        zv::test::row("control and nul", QByteArray("\0\n\xFF", 3), "%00%0a%ff"_ba);
        zv::test::row("empty", QByteArray(), QByteArray());
    }
    void urlEncode()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(UrlEncode(in), out);
    }

    void fixUtf8Latin1_data()
    {
        zv::test::columns<QByteArray, QByteArray>("in", "out");
        zv::test::row("plain", "abc"_ba, "abc"_ba);
        zv::test::row("e acute", "caf\xC3\xA9"_ba, "caf\xE9"_ba);
        zv::test::row("capitals", "\xC3\x80\xC3\x9F"_ba, "\xC0\xDF"_ba);
        zv::test::row("lone trailing C3", "ab\xC3"_ba, "ab\xC0"_ba);
        zv::test::row("A tilde pairs again", "\xC3\x83\xC3\xA9"_ba, "\xE9"_ba);
        zv::test::row("A tilde pairs with plain", "\xC3\x83z"_ba, "\xFA"_ba);
        zv::test::row("A tilde at the end", "\xC3\x83"_ba, "\xC0"_ba);
        zv::test::row("C3 C3", "\xC3\xC3"_ba, "\xC0"_ba);
        zv::test::row("other utf-8 kept", "\xE2\x82\xAC\xC5\x93"_ba, "\xE2\x82\xAC\xC5\x93"_ba);
        zv::test::row("C3 nul", QByteArray("\xC3\0x", 3), "\xC0x"_ba);
    }
    void fixUtf8Latin1()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(FixUtf8Latin1(in), out);
        QCOMPARE(reference::fixUtf8Latin1(in), out);
    }

    void decodeEntitiesMatchesLiteral()
    {
        QRandomGenerator rng(20261208);
        for (int round = 0; round < 20000; ++round) {
            const QByteArray text = randomText(rng, 1 + rng.bounded(24));
            const QByteArray expected = reference::decodeEntities(text);
            const QByteArray got = DecodeEntities(text);
            if (got != expected)
                QFAIL(qPrintable(u"input %1: expected %2, got %3"_s.arg(QString::fromLatin1(text.toHex()),
                    QString::fromLatin1(expected.toHex()), QString::fromLatin1(got.toHex()))));
        }
    }

    void fixUtf8Latin1MatchesLiteral()
    {
        QRandomGenerator rng(7);
        const QByteArray alphabet("\xC3\x83\x43\x03\xA9\x80\x00z", 8);
        for (int round = 0; round < 20000; ++round) {
            QByteArray text;
            for (int i = rng.bounded(16); i > 0; --i)
                text += rng.bounded(4) ? alphabet[rng.bounded(int(alphabet.size()))] : char(rng.bounded(256));
            QCOMPARE(FixUtf8Latin1(text).toHex(), reference::fixUtf8Latin1(text).toHex());
        }
    }

    // Deep nesting and long runs must neither lose text nor blow up.
    void decodeEntitiesLongRuns_data()
    {
        QTest::addColumn<QByteArray>("text");
        zv::test::row("ampersands", QByteArray(200000, '&'));
        zv::test::row("open references", "&#"_ba.repeated(100000));
        zv::test::row("chain then text", "&#5"_ba.repeated(2000) + "&#51;"_ba + ";"_ba.repeated(2000));
        zv::test::row("many references", "a&amp;lt;&#233;"_ba.repeated(50000));
    }
    void decodeEntitiesLongRuns()
    {
        QFETCH(QByteArray, text);
        const QByteArray got = DecodeEntities(text);
        if (text.size() <= 20000)
            QCOMPARE(got, reference::decodeEntities(text));
        else if (!text.contains(';'))
            QCOMPARE(got, text);
        else
            QCOMPARE(got, "a<\xE9"_ba.repeated(50000));
    }
};

QTEST_APPLESS_MAIN(TestTextUtil)
#include "tst_textutil.moc"
