// The popup schedule grammar and the decision taken for each entry.
#include "portal/popupschedule.h"
#include "support/table.h"

#include <QTest>

using zv::PopupAction;

class TestPopupSchedule : public QObject {
    Q_OBJECT
private slots:
    void lines_data()
    {
        zv::test::columns<QByteArray, QList<QByteArray>>("answer", "lines");
        zv::test::row("empty", QByteArray(), QList<QByteArray>{});
        zv::test::row("one, no line end", QByteArray("a=1"), QList<QByteArray>{"a=1"});
        zv::test::row("crlf", QByteArray("a=1\r\nb=2\r\n"), QList<QByteArray>{"a=1", "b=2"});
        zv::test::row("lone lf and cr", QByteArray("a=1\nb=2\rc=3"), QList<QByteArray>{"a=1", "b=2", "c=3"});
        zv::test::row(
            "blank lines", QByteArray("\r\na=1\r\n\r\n\r\nb=2\r\n\r\n"), QList<QByteArray>{"a=1", "b=2"});
        zv::test::row("spaces kept", QByteArray(" a=1 \r\n"), QList<QByteArray>{" a=1 "});
    }
    void lines()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QList<QByteArray>, lines);
        QCOMPARE(zv::popupScheduleLines(answer), lines);
    }

    void fieldValues_data()
    {
        zv::test::columns<QByteArray, QByteArray, QByteArray>("line", "key", "value");
        zv::test::row("any order", QByteArray("url=x,delai=3"), QByteArray("delai"), QByteArray("3"));
        zv::test::row("case free key", QByteArray("DeLaI=3"), QByteArray("delai"), QByteArray("3"));
        zv::test::row("absent", QByteArray("url=x"), QByteArray("delai"), QByteArray());
        zv::test::row("first wins", QByteArray("delai=1,delai=2"), QByteArray("delai"), QByteArray("1"));
        zv::test::row(
            "untrimmed", QByteArray("url= http://a/ "), QByteArray("url"), QByteArray(" http://a/ "));
        zv::test::row("key with space differs", QByteArray("delai =4"), QByteArray("delai"), QByteArray());
        zv::test::row(
            "equals in value", QByteArray("url=p.php?a=b"), QByteArray("url"), QByteArray("p.php?a=b"));
        zv::test::row(
            "field without equals", QByteArray("delai,delai=7"), QByteArray("delai"), QByteArray("7"));
        zv::test::row("empty value", QByteArray("actif="), QByteArray("actif"), QByteArray());
    }
    void fieldValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QCOMPARE(zv::popupFieldValue(zv::popupEntryFields(line), key), value);
    }

    void integers_data()
    {
        zv::test::columns<QByteArray, bool, int>("text", "ok", "value");
        zv::test::row("plain", QByteArray("15"), true, 15);
        zv::test::row("zero", QByteArray("0"), true, 0);
        zv::test::row("signs", QByteArray("-4"), true, -4);
        zv::test::row("plus", QByteArray("+4"), true, 4);
        zv::test::row("leading blanks", QByteArray("  4"), true, 4);
        zv::test::row("trailing blank", QByteArray("4 "), false, 0);
        zv::test::row("empty", QByteArray(), false, 0);
        zv::test::row("sign only", QByteArray("-"), false, 0);
        zv::test::row("word", QByteArray("abc"), false, 0);
        zv::test::row("decimal", QByteArray("1.5"), false, 0);
        zv::test::row("max", QByteArray("2147483647"), true, 2147483647);
        zv::test::row("min", QByteArray("-2147483648"), true, int(-2147483648LL));
        zv::test::row("overflow", QByteArray("2147483648"), false, 0);
        zv::test::row("huge", QByteArray("99999999999999999999999"), false, 0);
    }
    void integers()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const std::optional<int> got = zv::popupInteger(text);
        QCOMPARE(got.has_value(), ok);
        if (ok)
            QCOMPARE(*got, value);
    }

    void decisions_data()
    {
        zv::test::columns<QByteArray, int, bool, PopupAction>("line", "minute", "testMode", "action");
        const QByteArray tail = ",url=http://h/p.htm,largeur=300,hauteur=200";
        zv::test::row("due", "delai=1,actif=OUI" + tail, 1, false, PopupAction::Open);
        zv::test::row("delay 0 at first minute", "delai=0,actif=OUI" + tail, 1, false, PopupAction::Open);
        zv::test::row("not yet", "delai=5,actif=OUI" + tail, 4, false, PopupAction::Wait);
        zv::test::row("fifth minute", "delai=5,actif=oui" + tail, 5, false, PopupAction::Open);
        zv::test::row("late", "delai=2,actif=Oui" + tail, 9, false, PopupAction::Open);
        zv::test::row("non", "delai=1,actif=non" + tail, 1, false, PopupAction::Drop);
        zv::test::row("no actif", "delai=1" + tail, 1, false, PopupAction::Drop);
        zv::test::row("actif untrimmed", "delai=1,actif=OUI " + tail, 1, false, PopupAction::Drop);
        zv::test::row("TEST normal", "delai=1,actif=TEST" + tail, 1, false, PopupAction::Drop);
        zv::test::row("TEST test mode", "delai=1,actif=test" + tail, 0, true, PopupAction::Open);
        zv::test::row("test mode ignores delay", "delai=60,actif=OUI" + tail, 0, true, PopupAction::Open);
        zv::test::row("bad delay", "delai=x,actif=OUI" + tail, 1, false, PopupAction::Fail);
        zv::test::row("no delay", "actif=OUI" + tail, 1, false, PopupAction::Fail);
        zv::test::row("bad delay test", "delai=,actif=OUI" + tail, 0, true, PopupAction::Fail);
        zv::test::row("bad width", QByteArray("delai=1,actif=OUI,url=u,largeur=l,hauteur=2"), 1, false,
            PopupAction::Fail);
        zv::test::row("bad width not shown", QByteArray("delai=1,actif=NON,url=u,largeur=l"), 1, false,
            PopupAction::Drop);
        zv::test::row("bad width not due", QByteArray("delai=3,actif=OUI,url=u,largeur=l"), 1, false,
            PopupAction::Wait);
        zv::test::row("negative height", QByteArray("delai=1,actif=OUI,url=u,largeur=3,hauteur=-2"), 1, false,
            PopupAction::Fail);
        zv::test::row("giant width", QByteArray("delai=1,actif=OUI,url=u,largeur=2000000,hauteur=2"), 1,
            false, PopupAction::Fail);
        zv::test::row("zero height", QByteArray("delai=1,actif=OUI,url=u,largeur=3,hauteur=0"), 1, false,
            PopupAction::Open);
    }
    void decisions()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, minute);
        QFETCH(bool, testMode);
        QFETCH(PopupAction, action);
        QCOMPARE(zv::decidePopupEntry(line, minute, testMode).action, action);
    }

    void openedEntryCarriesItsPage()
    {
        const zv::PopupDecision d = zv::decidePopupEntry(
            "hauteur=200,largeur=300,url= http://h/p.htm?a=1,actif=OUI,delai=1", 1, false);
        QCOMPARE(d.action, PopupAction::Open);
        QCOMPARE(d.url, QByteArray(" http://h/p.htm?a=1"));
        QCOMPARE(d.width, 300);
        QCOMPARE(d.height, 200);
    }

    void errorText()
    {
        QCOMPARE(zv::popupEntryErrorText("delai=x,actif=OUI,url=\xE9t\xE9"),
            QStringLiteral("Erreur sur la ligne : \r\ndelai=x,actif=OUI,url=été\r\n\r\nDétail : \r\n"
                           "delai=x\r\nactif=OUI\r\nurl=été\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestPopupSchedule)
#include "tst_popupschedule.moc"
