// The settings menu of the main window: items, check marks read from the files
// at every opening, autostart, adult section and theme.
#include "app/autostart.h"
#include "app/config.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "ui/controls/btngraph.h"
#include "ui/themes/themes.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zv::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestConfigMenu : public MainWindowTest {
    Q_OBJECT

    QTemporaryDir xdg;

    static void open(TfmPrinc* w) { emit w->mnuConfig->aboutToShow(); }
    static QStringList checkedThemes(TfmPrinc* w)
    {
        QStringList out;
        for (QAction* a : w->mnuConfigThemes->actions())
            if (a->isChecked())
                out << a->objectName();
        return out;
    }

    // config.ini beside the program and in the user's folder, file or folder.
    QStringList settingsPlaces() const
    {
        return {QCoreApplication::applicationDirPath() + "/config.ini",
            xdg.path() + "/zevalo-multimedia/config.ini"};
    }
    void removeSettings()
    {
        for (const QString& path : settingsPlaces()) {
            QFile::remove(path);
            QDir(path).removeRecursively();
        }
    }

    void setUp() override
    {
        removeSettings();
        QDir(xdg.path() + "/autostart").removeRecursively();
        QFile::remove(xdg.path() + "/autostart");
    }
    void tearDown() override { removeSettings(); }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", xdg.path().toLocal8Bit()); }

    void items()
    {
        auto w = CreateThemeWindow(2);
        const QList<QAction*> a = w->mnuConfig->actions();
        const QStringList captions = {"Lancement &automatique", "Rubrique &Sexoflux",
            "-------- Thèmes --------", "&0 - Basic (défaut)", "&1 - Tagada", "&2 - Chlorophylle",
            "&3 - Moon", "&4 - Mac fashion", "", "&Déplacer la fenêtre", "&Raccourcis clavier"};
        QCOMPARE(a.size(), captions.size());
        const QList<int> tags = {2, 1, 4, 5, 3};
        for (int i = 0; i < a.size(); ++i) {
            QCOMPARE(a[i]->text(), captions[i]);
            if (i >= 3 && i < 8) {
                QCOMPARE(a[i]->data().toInt(), tags[i - 3]);
                QCOMPARE(a[i]->objectName(), QStringLiteral("mnuConfigTheme%1").arg(tags[i - 3]));
                QCOMPARE(a[i]->actionGroup(), w->mnuConfigThemes);
            }
        }
        QVERIFY(!w->Thmes1->isEnabled());
        // After the themes, the keyboard's own items, with their keys.
        QVERIFY(a[8]->isSeparator());
        QCOMPARE(w->mnuConfigDeplacer->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F7));
        QCOMPARE(w->mnuConfigRaccourcis->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(w->mnuConfigThemes->isExclusive());
    }

    void marksFollowTheFiles()
    {
        auto w = rig->start();
        writeFile(TConfig().path(), "[GENERAL]\r\nTheme=4\r\nSexoflux=1\r\n");
        open(w.get());
        QVERIFY(!w->mnuConfigLanceAuto->isChecked());
        QVERIFY(w->mnuConfigSexoflux->isChecked());
        QCOMPARE(checkedThemes(w.get()), QStringList{"mnuConfigTheme4"});
        // Edited by hand between two openings.
        QDir().mkpath(xdg.path() + "/autostart");
        writeFile(AutostartFilePath(), "[Desktop Entry]\n");
        writeFile(TConfig().path(), "[GENERAL]\r\nTheme=3\r\nSexoflux=oui\r\n");
        open(w.get());
        QVERIFY(w->mnuConfigLanceAuto->isChecked());
        QVERIFY(!w->mnuConfigSexoflux->isChecked());
        QCOMPARE(checkedThemes(w.get()), QStringList{"mnuConfigTheme3"});
    }

    void themeWithoutItem()
    {
        writeFile(TConfig().path(), "[GENERAL]\r\nTheme=7\r\n");
        auto w = CreateThemeWindow(2);
        open(w.get());
        QCOMPARE(checkedThemes(w.get()), QStringList());
    }

    void autostart()
    {
        auto w = rig->start();
        open(w.get());
        w->mnuConfigLanceAuto->trigger();
        QVERIFY(IsAutostartOn());
        QVERIFY(!w->mnuConfigLanceAuto->isChecked()); // the click leaves the mark
        open(w.get());
        QVERIFY(w->mnuConfigLanceAuto->isChecked());
        w->mnuConfigLanceAuto->trigger();
        QVERIFY(!IsAutostartOn());
        // Off again when already absent: nothing happens.
        w->mnuConfigLanceAuto->trigger();
        QVERIFY(!IsAutostartOn());
        QVERIFY(rig->errors.isEmpty());
    }

    void adultToggleSwapsButtons()
    {
        auto w = rig->start();
        QVERIFY(w->btnFctSexo->isHidden() && !w->btnFctVideo->isHidden());
        w->mnuConfigSexoflux->trigger();
        QVERIFY(TConfig().GetSexoflux());
        QVERIFY(!w->btnFctSexo->isHidden() && w->btnFctVideo->isHidden());
        w->mnuConfigSexoflux->trigger();
        QVERIFY(!TConfig().GetSexoflux());
        QVERIFY(w->btnFctSexo->isHidden() && !w->btnFctVideo->isHidden());
    }

    void themeItemStoresAndCloses_data()
    {
        zv::test::columns<QString, int, bool>("item", "stored", "writable");
        zv::test::row("basic", "mnuConfigTheme2", 2, true);
        zv::test::row("tagada", "mnuConfigTheme1", 1, true);
        zv::test::row("chlorophylle", "mnuConfigTheme4", 4, true);
        zv::test::row("moon", "mnuConfigTheme5", 5, true);
        zv::test::row("mac", "mnuConfigTheme3", 3, true);
        zv::test::row("unwritable", "mnuConfigTheme5", 2, false);
    }

    void themeItemStoresAndCloses()
    {
        QFETCH(QString, item);
        QFETCH(int, stored);
        QFETCH(bool, writable);
        auto w = rig->start();
        w->show();
        if (!writable) {
            // A folder where the file should be, in either place.
            for (const QString& path : settingsPlaces())
                QVERIFY(QDir().mkpath(path));
        }
        ModalAnswerer closer;
        closer.boxes(QMessageBox::Ok);
        w->mnuConfig->findChild<QAction*>(item)->trigger();
        QCOMPARE(
            closer.texts, QStringList{"Vous devez relancer le programme pour utiliser le nouveau thème."});
        QVERIFY(!w->isVisible());
        QCOMPARE(TConfig().GetTheme(), stored);
        QVERIFY(rig->errors.isEmpty());
    }
};

QTEST_MAIN(TestConfigMenu)
#include "tst_configmenu.moc"
