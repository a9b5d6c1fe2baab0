#include "app/config.h"
#include "app/runmode.h"
#include "inifile.h"
#include "support/table.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRunMode : public QObject {
    Q_OBJECT
private slots:
    void switches_data()
    {
        zv::test::columns<QStringList, bool>("arguments", "agent");
        zv::test::row("none", QStringList(), false);
        zv::test::row("slash", QStringList{u"/info"_s}, true);
        zv::test::row("capitals", QStringList{u"/INFO"_s}, true);
        zv::test::row("mixed case", QStringList{u"/InFo"_s}, true);
        zv::test::row("second place", QStringList{u"x"_s, u"/info"_s}, true);
        zv::test::row("with test", QStringList{u"/test"_s, u"/info"_s}, true);
        zv::test::row("hyphen", QStringList{u"-info"_s}, false);
        zv::test::row("double hyphen", QStringList{u"--info"_s}, false);
        zv::test::row("no prefix", QStringList{u"info"_s}, false);
        zv::test::row("longer word", QStringList{u"/infos"_s}, false);
        zv::test::row("shorter word", QStringList{u"/inf"_s}, false);
        zv::test::row("two slashes", QStringList{u"//info"_s}, false);
        zv::test::row("trailing space", QStringList{u"/info "_s}, false);
        zv::test::row("slash alone", QStringList{u"/"_s}, false);
        zv::test::row("dotless i", QStringList{u"/\u0130nfo"_s}, false);
    }
    void switches()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, agent);
        QCOMPARE(RunModeFor(arguments) == RunMode::Agent, agent);
        QCOMPARE(HasSwitch(arguments, u"info"), agent);
    }

    void testSwitch()
    {
        QVERIFY(HasSwitch({u"/info"_s, u"/TEST"_s}, u"test"));
        QVERIFY(!HasSwitch({u"/info"_s, u"-test"_s}, u"test"));
        QVERIFY(!HasSwitch({u"/tester"_s}, u"test"));
    }

    void theme_data()
    {
        // file: empty: no file
        zv::test::columns<QByteArray, int, QByteArray>("file", "opened", "storedAfter");
        zv::test::row("no file", QByteArray(), 2, QByteArray());
        zv::test::row("theme 1", "[GENERAL]\nTheme=1\n"_ba, 1, "1"_ba);
        zv::test::row("theme 5", "[GENERAL]\nTheme=5\n"_ba, 5, "5"_ba);
        zv::test::row("theme 0", "[GENERAL]\nTheme=0\nSexoflux=1\n"_ba, 0, "2"_ba);
        zv::test::row("theme 6", "[GENERAL]\nTheme=6\n"_ba, 0, "2"_ba);
        zv::test::row("negative", "[GENERAL]\nTheme=-2\n"_ba, 0, "2"_ba);
        zv::test::row("not a number", "[GENERAL]\nTheme=bleu\n"_ba, 2, "bleu"_ba);
    }
    void theme()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, storedAfter);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"config.ini"_s);
        if (!file.isEmpty())
            testini::write(path, file);
        TConfig config(path);
        QTEST(ThemeToOpen(config), "opened");
        if (file.isEmpty()) {
            QVERIFY(!QFile::exists(path));
            return;
        }
        const auto general = testini::section(path, "GENERAL");
        QCOMPARE(general.value(0).second, storedAfter);
        if (file.contains("Sexoflux"))
            QVERIFY(config.GetSexoflux());
        QCOMPARE(ThemeToOpen(config), storedAfter == "2" ? 2 : ThemeToOpen(config)); // next start
    }

    void repairMessage()
    {
        QCOMPARE(ThemeRepairMessage(),
            u"Le thème selectionné n'était plus disponible, celui par défaut a été selectionné pour le "
            "remplacer.\r\nVous devez redemmarer le programme pour utiliser le nouveau thème."_s);
    }
};

QTEST_GUILESS_MAIN(TestRunMode)
#include "tst_runmode.moc"
