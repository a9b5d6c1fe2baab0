#include "app/runmode.h"
#include "app/startup.h"
#include "base/errors.h"
#include "inifile.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/fenprinc.h"
#include "ui/windows/fenprincpopup.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class FakeMainWindow : public TfmPrinc {
public:
    explicit FakeMainWindow(bool goOn)
        : goOn_(goOn)
    {
    }
    bool FormCreate() override { return goOn_; }

private:
    bool goOn_;
};

struct SeenBox {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int count = 0;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path_;
    QList<int> requested_;
    bool goOn_ = true;
    SeenBox seen_;
    zv::test::ModalAnswerer boxes_; // accepts every message box the test waits in

    ThemeWindowFactory factory()
    {
        return [this](int theme) -> std::unique_ptr<TfmPrinc> {
            requested_.append(theme);
            return std::make_unique<FakeMainWindow>(goOn_);
        };
    }

private slots:
    void initTestCase()
    {
        SetupApplication(*qApp);
        boxes_.on<QMessageBox>([this](QMessageBox* box) {
            seen_.text = box->text();
            seen_.icon = box->icon();
            seen_.buttons = box->standardButtons();
            ++seen_.count;
            box->accept();
        });
    }
    void init()
    {
        path_ = dir_.filePath(u"config.ini"_s);
        QFile::remove(path_);
        requested_.clear();
        goOn_ = true;
        seen_ = {};
    }

    void applicationSetUp()
    {
        QCOMPARE(QApplication::applicationDisplayName(), u"Zevalo Multimédia"_s);
        QMessageBox box(
            QMessageBox::Question, u"t"_s, u"q"_s, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), u"Oui"_s);
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), u"Non"_s);
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), u"Annuler"_s);
    }

    void errorReporterShowsTheText()
    {
        zv::guarded([] { throw zv::Error(u"Échec de la connexion"_s); });
        QCOMPARE(seen_.count, 1);
        QCOMPARE(seen_.text, u"Échec de la connexion"_s);
        QCOMPARE(seen_.icon, QMessageBox::Critical);
    }

    void openTheme_data()
    {
        zv::test::columns<QByteArray, int>("file", "theme");
        zv::test::row("no file", QByteArray(), 2);
        zv::test::row("theme 1", "[GENERAL]\nTheme=1\n"_ba, 1);
        zv::test::row("theme 4", "[GENERAL]\nTheme=4\n"_ba, 4);
        zv::test::row("theme 5", "[GENERAL]\nTheme=5\n"_ba, 5);
        zv::test::row("not a number", "[GENERAL]\nTheme=x\n"_ba, 2);
    }
    void openTheme()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, theme);
        if (!file.isEmpty())
            testini::write(path_, file);
        const std::unique_ptr<QWidget> window = StartProgram({u"-info"_s}, path_, factory());
        QCOMPARE(requested_, QList<int>{theme});
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(seen_.count, 0);
        QCOMPARE(QFile::exists(path_), !file.isEmpty());
    }

    void costsWaitForUse()
    {
        // Made, the window has no web page and the player libraries are not
        // loaded: each comes when first used. Shown, the visible browsers
        // have their page.
        FakeMainWindow w(true);
        const QList<TWebBrowser*> browsers = w.findChildren<TWebBrowser*>();
        QVERIFY(browsers.size() >= 9);
        for (TWebBrowser* wb : browsers)
            QVERIFY2(!wb->HasPage(), qPrintable(wb->objectName()));
        w.show();
        for (TWebBrowser* wb : browsers)
            QCOMPARE(wb->HasPage(), wb->isVisible());
        QVERIFY(w.wbPub->HasPage()); // the ad band is always shown
        QFile maps(u"/proc/self/maps"_s);
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("libmpv"));
    }

    void startRefused()
    {
        goOn_ = false;
        QVERIFY(!StartProgram({}, path_, factory()));
        QCOMPARE(requested_, QList<int>{2});
        QCOMPARE(seen_.count, 0);
    }

    void windowCreationFails()
    {
        const ThemeWindowFactory failing
            = [](int) -> std::unique_ptr<TfmPrinc> { throw zv::Error(u"Ressource introuvable"_s); };
        QVERIFY(!StartProgram({}, path_, failing));
        QCOMPARE(seen_.text, u"Ressource introuvable"_s);
    }

    void themeRepaired_data()
    {
        QTest::addColumn<QByteArray>("theme");
        zv::test::row("0", "0"_ba);
        zv::test::row("6", "6"_ba);
        zv::test::row("-1", "-1"_ba);
    }
    void themeRepaired()
    {
        QFETCH(QByteArray, theme);
        testini::write(path_, "[GENERAL]\nTheme=" + theme + "\nSexoflux=1\n");
        QVERIFY(!StartProgram({}, path_, factory()));
        QVERIFY(requested_.isEmpty());
        QCOMPARE(seen_.count, 1);
        QCOMPARE(seen_.text, ThemeRepairMessage());
        QCOMPARE(seen_.icon, QMessageBox::Information);
        QCOMPARE(seen_.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(testini::section(path_, "GENERAL"),
            (QList<QPair<QByteArray, QByteArray>>{{"Theme", "2"}, {"Sexoflux", "1"}}));

        // The next start opens theme 2.
        seen_ = {};
        QVERIFY(StartProgram({}, path_, factory()));
        QCOMPARE(requested_, QList<int>{2});
        QCOMPARE(seen_.count, 0);
    }

    void agentTouchesNoSettings_data()
    {
        zv::test::columns<QStringList, bool>("arguments", "visible");
        zv::test::row("lower case", QStringList{u"/info"_s}, false);
        zv::test::row("capitals, second place", QStringList{u"x"_s, u"/INFO"_s}, false);
        zv::test::row("test mode", QStringList{u"/info"_s, u"/Test"_s}, true);
    }
    void agentTouchesNoSettings()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, visible);
        const std::unique_ptr<QWidget> agent = StartProgram(arguments, path_, factory());
        auto* popup = qobject_cast<TfmPrincPopup*>(agent.get());
        QVERIFY(popup);
        QCOMPARE(popup->windowTitle(), u"InfZevalo"_s);
        QCOMPARE(popup->isVisible(), visible);
        QCOMPARE(popup->testMode(), visible);
        QVERIFY(requested_.isEmpty());
        QVERIFY(!QFile::exists(path_));

        // A bad theme is not the agent's business either.
        testini::write(path_, "[GENERAL]\nTheme=0\n"_ba);
        QVERIFY(StartProgram(arguments, path_, factory()));
        QCOMPARE(testini::bytes(path_), "[GENERAL]\nTheme=0\n"_ba);
        QCOMPARE(seen_.count, 0);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
