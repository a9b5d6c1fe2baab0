// The games answers and the encoding of game names.
#include "base/errors.h"
#include "portal/jeux.h"
#include "support/table.h"

#include <QTest>

using GameList = QList<QPair<QByteArray, int>>;
Q_DECLARE_METATYPE(GameList)

class TestJeux : public QObject {
    Q_OBJECT
private slots:
    void categories_data()
    {
        zv::test::columns<QByteArray, QByteArrayList>("body", "names");
        zv::test::row("accent", QByteArray("Action##Aventure##R%E%flexion"),
            QByteArrayList{"Action", "Aventure",
                "R\xe9"
                "flexion"});
        zv::test::row("empty between", QByteArray("A####B"), QByteArrayList{"A", "", "B"});
        zv::test::row("trailing separator", QByteArray("A##B##"), QByteArrayList{"A", "B"});
        zv::test::row("empty", QByteArray(), QByteArrayList{});
        zv::test::row(
            "two accents, percent alone kept", QByteArray("%E%t%E% 100%"), QByteArrayList{"\xe9t\xe9 100%"});
        zv::test::row("other letters untouched", QByteArray("%A%##%e%"), QByteArrayList{"%A%", "%e%"});
    }
    void categories()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArrayList, names);
        QByteArrayList got;
        for (const QByteArray& n : zv::ParseGameCategories(body))
            got << n;
        QCOMPARE(got, names);
    }

    void games_data()
    {
        zv::test::columns<QByteArray, GameList>("body", "games");
        zv::test::row("ids", QByteArray("Pac##12||Tetris##abc||Pong"),
            GameList{{"Pac", 12}, {"Tetris", 0}, {"Pong", 0}});
        zv::test::row("ten digits kept", QByteArray("Pac##12345678901"), GameList{{"Pac", 1234567890}});
        zv::test::row("ten digits too large", QByteArray("Pac##9999999999"), GameList{{"Pac", 0}});
        zv::test::row("first separator cuts", QByteArray("Jeu##7##8"), GameList{{"Jeu", 0}});
        zv::test::row("negative", QByteArray("Jeu##-5"), GameList{{"Jeu", -5}});
        zv::test::row("empty id", QByteArray("Jeu##"), GameList{{"Jeu", 0}});
        zv::test::row("accent", QByteArray("Plan%E%te##3"), GameList{{"Plan\xe9te", 3}});
        zv::test::row("line breaks too", QByteArray("A##1\r\nB##2||"), GameList{{"A", 1}, {"B", 2}});
    }
    void games()
    {
        QFETCH(QByteArray, body);
        QFETCH(GameList, games);
        GameList got;
        for (const zv::GameEntry& e : zv::ParseGames(body))
            got << qMakePair(e.name, e.id);
        QCOMPARE(got, games);
    }

    void encoding_data()
    {
        zv::test::columns<QByteArray, QByteArray>("displayed", "sent");
        zv::test::row("accent",
            QByteArray("R\xe9"
                       "flexion"),
            QByteArray("R%25E%25flexion"));
        zv::test::row("space and others", QByteArray("Casse-briques 2"), QByteArray("Casse%2dbriques+2"));
        zv::test::row("other accents plain encoded", QByteArray("\xe8\xe0"), QByteArray("%e8%e0"));
        zv::test::row("ampersand", QByteArray("A&B=C"), QByteArray("A%26B%3dC"));
    }
    void encoding()
    {
        QFETCH(QByteArray, displayed);
        QFETCH(QByteArray, sent);
        QCOMPARE(zv::EncodeGameName(displayed), sent);
        // And back, through the portal's own escape.
        QCOMPARE(zv::UnescapeGameName(zv::EscapeGameName(displayed)), displayed);
    }

    void launch_data()
    {
        zv::test::columns<QByteArray, QByteArray, int, int, bool>(
            "body", "address", "width", "height", "sized");
        zv::test::row("plain", QByteArray("http://h/jeu.swf##width=550 height=400"),
            QByteArray("http://h/jeu.swf"), 550, 400, true);
        zv::test::row(
            "capitals", QByteArray("jeu.swf##WIDTH=640 Height=480"), QByteArray("jeu.swf"), 640, 480, true);
        zv::test::row("extra attributes, double space", QByteArray("a##quality=high  height=10 width=20\r\n"),
            QByteArray("a"), 20, 10, true);
        zv::test::row("address kept unchanged", QByteArray("HTTP://H/Jeu.SWF##width=1 height=2"),
            QByteArray("HTTP://H/Jeu.SWF"), 1, 2, true);
        zv::test::row("one line", QByteArray("jeu.swf"), QByteArray("jeu.swf"), 0, 0, false);
        zv::test::row("no height", QByteArray("jeu.swf##width=5"), QByteArray("jeu.swf"), 0, 0, false);
        zv::test::row(
            "not whole", QByteArray("jeu.swf##width=5.5 height=3"), QByteArray("jeu.swf"), 0, 0, false);
        zv::test::row(
            "unit", QByteArray("jeu.swf##width=550px height=3"), QByteArray("jeu.swf"), 0, 0, false);
        zv::test::row("overflow", QByteArray("j##width=99999999999 height=3"), QByteArray("j"), 0, 0, false);
    }
    void launch()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, address);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, sized);
        QCOMPARE(zv::GameLaunchAddress(body), address);
        int w = 0;
        int h = 0;
        bool ok = true;
        QString why;
        try {
            zv::GameLaunchSize(body, w, h);
        } catch (const zv::Error& e) {
            ok = false;
            why = e.message();
        }
        QCOMPARE(ok, sized);
        if (sized) {
            QCOMPARE(w, width);
            QCOMPARE(h, height);
        } else {
            QVERIFY(!why.isEmpty());
        }
    }

    void emptyLaunchAnswerHasNoAddress()
    {
        QVERIFY_THROWS_EXCEPTION(zv::Error, zv::GameLaunchAddress(QByteArray()));
    }
};

QTEST_GUILESS_MAIN(TestJeux)
#include "tst_jeux.moc"
