#include "portal/textutil.h"
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
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QByteArray>("html");
        QTest::newRow("red") << QColor(Qt::red) << "FF0000"_ba;
        QTest::newRow("blue") << QColor(0, 0, 255) << "0000FF"_ba;
        QTest::newRow("mixed") << QColor(0x12, 0xAB, 0x0C) << "12AB0C"_ba;
        QTest::newRow("black") << QColor(Qt::black) << "000000"_ba;
        QTest::newRow("named") << QColor(u"lightgray"_s) << "D3D3D3"_ba;
        QTest::newRow("hsv") << QColor::fromHsv(120, 255, 255) << "00FF00"_ba;
        QTest::newRow("invalid") << QColor() << "000000"_ba;
    }
    void colorToHtml()
    {
        QFETCH(QColor, colour);
        QFETCH(QByteArray, html);
        QCOMPARE(ColorToHtml(colour), html);
    }

    void decodeEntities_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("plain") << "Hello world"_ba
                               << "Hello world"_ba;
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("named") << "&lt;b&gt; &amp; &quot;"_ba
                               << "<b> & \""_ba;
        QTest::newRow("latin1 names") << "&eacute;&ntilde;&yuml;&nbsp;&AElig;&frac34;"_ba
                                      << "\xE9\xF1\xFF\xA0\xC6\xBE"_ba;
        QTest::newRow("decimal") << "&#242;&#0;&#65;"_ba << QByteArray("\xF2\0A", 3);
        QTest::newRow("hex") << "&#xf2;&#x0;&#x41;"_ba << QByteArray("\xF2\0A", 3);
        QTest::newRow("capital name") << "&LT;&Eacute;&EACUTE;"_ba
                                      << "&LT;\xC9&EACUTE;"_ba;
        QTest::newRow("capital X") << "&#X41;"_ba
                                   << "&#X41;"_ba;
        QTest::newRow("capital hex digits") << "&#xF2;"_ba
                                            << "&#xF2;"_ba;
        QTest::newRow("leading zero") << "&#065;&#x041;"_ba
                                      << "&#065;&#x041;"_ba;
        QTest::newRow("beyond 255") << "&#256;&#x100;&euro;"_ba
                                    << "&#256;&#x100;&euro;"_ba;
        QTest::newRow("no semicolon") << "&amp &#65"_ba
                                      << "&amp &#65"_ba;
        QTest::newRow("decoded twice") << "&#38;lt;"_ba
                                       << "<"_ba;
        QTest::newRow("amp then name") << "&amp;lt;"_ba
                                       << "<"_ba;
        QTest::newRow("amp hex then decimal") << "&#x26;#60;"_ba
                                              << "<"_ba;
        // Once a code is past, what forms it later stays.
        QTest::newRow("same form again") << "&#38;#38;"_ba
                                         << "&#38;"_ba;
        QTest::newRow("name of an earlier code") << "&#38;quot;"_ba
                                                 << "&quot;"_ba;
        QTest::newRow("amp then amp") << "&#38;amp;"_ba
                                      << "&"_ba;
        QTest::newRow("digit completes") << "&#6&#48;;"_ba
                                         << "<"_ba;
        QTest::newRow("digit too early") << "&#3&#56;;"_ba
                                         << "&#38;"_ba;
        QTest::newRow("semicolon completes") << "&lt&#59;"_ba
                                             << "<"_ba;
        QTest::newRow("semicolon too late") << "&quot&#59;"_ba
                                            << "&quot;"_ba;
        QTest::newRow("hash completes") << "&&#35;60;"_ba
                                        << "<"_ba;
        QTest::newRow("nested chain") << "&#5&#5&#51;;;"_ba
                                      << "7"_ba;
        QTest::newRow("through an ampersand") << "&#6&#38;#48;;"_ba
                                              << "<"_ba;
        QTest::newRow("dead below a kept one") << "&#6&#999;0;"_ba
                                               << "&#6&#999;0;"_ba;
        QTest::newRow("x made later") << "&#&#120;41;"_ba
                                      << "&#x41;"_ba;
        QTest::newRow("x made earlier") << "&#&#120;f2;"_ba
                                        << "\xF2"_ba;
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
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("accent space t") << "\xE9 t"_ba
                                        << "%e9+t"_ba;
        QTest::newRow("kept") << "AZaz09"_ba
                              << "AZaz09"_ba;
        QTest::newRow("punctuation") << "a-b_c.d~e&f=g+h%"_ba
                                     << "a%2db%5fc%2ed%7ee%26f%3dg%2bh%25"_ba;
        QTest::newRow("control and nul") << QByteArray("\0\n\xFF", 3) << "%00%0a%ff"_ba;
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void urlEncode()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(UrlEncode(in), out);
    }

    void fixUtf8Latin1_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("plain") << "abc"_ba
                               << "abc"_ba;
        QTest::newRow("e acute") << "caf\xC3\xA9"_ba
                                 << "caf\xE9"_ba;
        QTest::newRow("capitals") << "\xC3\x80\xC3\x9F"_ba
                                  << "\xC0\xDF"_ba;
        QTest::newRow("lone trailing C3") << "ab\xC3"_ba
                                          << "ab\xC0"_ba;
        QTest::newRow("A tilde pairs again") << "\xC3\x83\xC3\xA9"_ba
                                             << "\xE9"_ba;
        QTest::newRow("A tilde pairs with plain") << "\xC3\x83z"_ba
                                                  << "\xFA"_ba;
        QTest::newRow("A tilde at the end") << "\xC3\x83"_ba
                                            << "\xC0"_ba;
        QTest::newRow("C3 C3") << "\xC3\xC3"_ba
                               << "\xC0"_ba;
        QTest::newRow("other utf-8 kept") << "\xE2\x82\xAC\xC5\x93"_ba
                                          << "\xE2\x82\xAC\xC5\x93"_ba;
        QTest::newRow("C3 nul") << QByteArray("\xC3\0x", 3) << "\xC0x"_ba;
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
        QTest::newRow("ampersands") << QByteArray(200000, '&');
        QTest::newRow("open references") << "&#"_ba.repeated(100000);
        QTest::newRow("chain then text") << "&#5"_ba.repeated(2000) + "&#51;"_ba + ";"_ba.repeated(2000);
        QTest::newRow("many references") << "a&amp;lt;&#233;"_ba.repeated(50000);
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
