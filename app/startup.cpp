#include "app/startup.h"

#include "app/config.h"
#include "app/language.h"
#include "app/runmode.h"
#include "app/sessionend.h"
#include "app/singleinstance.h"
#include "base/errors.h"
#include "portal/freedmemory.h"
#include "ui/main/desktopcontrols.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenprincpopup.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSessionManager>
#include <cstdio>

void SetupApplication(QApplication& app)
{
    zv::keepLittleFreedMemory();
    QApplication::setApplicationDisplayName(QStringLiteral("Zevalo Multimédia"));
    // Ties the windows to the installed menu entry (its icon, its name).
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.zevalo.Multimedia"));

    InstallFrenchTexts(app);

    zv::setErrorReporter([](const QString& message) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message,
            QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    });
}

std::unique_ptr<QWidget> StartProgram(
    const QStringList& arguments, const QString& configPath, const ThemeWindowFactory& createWindow)
{
    if (RunModeFor(arguments) == RunMode::Agent)
        return std::make_unique<TfmPrincPopup>(HasSwitch(arguments, u"test"));

    std::unique_ptr<QWidget> started;
    TConfig config(configPath);
    const int theme = ThemeToOpen(config);
    if (theme == 0) {
        QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(),
            ThemeRepairMessage(), QMessageBox::Ok);
        box.exec();
        return started;
    }
    zv::guarded([&] {
        std::unique_ptr<TfmPrinc> window = createWindow(theme);
        if (window && window->FormCreate()) {
            window->show();
            started = std::move(window);
        }
    });
    return started;
}

int RunZevalo(int argc, char** argv)
{
    PrepareEnvironment();
    QApplication app(argc, argv);
    SetupApplication(app);

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool agent = RunModeFor(arguments) == RunMode::Agent;

    // A second start of the same mode only brings the running copy forward.
    SingleInstance instance(agent ? QStringLiteral("agent") : QStringLiteral("portal"));
    switch (instance.claim(arguments)) {
    case SingleInstance::Role::HandedOver: return 0;
    case SingleInstance::Role::NoAnswer:
        std::fprintf(
            stderr, "zevalo: a running copy holds %s but does not answer\n", qPrintable(instance.lockPath()));
        return 1;
    case SingleInstance::Role::First:
    case SingleInstance::Role::Alone: break;
    }

    std::unique_ptr<QWidget> window;
    QObject::connect(&instance, &SingleInstance::activated, &app, [&window] {
        // During start-up the connection test is what shows.
        BringToFront(window ? window.get() : QApplication::activeModalWidget());
        BringToFront(QApplication::activeModalWidget());
    });

    // Log-off, shutdown or kill: the agent ends at once; the main window closes as
    // through its close button, so that its favourites are written. Before the
    // event loop runs, quit() does nothing: what shows then (the connection test,
    // a message) is closed, and the start-up ends below.
    bool ending = false;
    const auto endSession = [&window, &ending, agent] {
        ending = true;
        if (window) {
            if (!agent)
                window->close();
            QCoreApplication::quit();
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    };
    auto* watcher = new SessionEndWatcher(&app);
    QObject::connect(watcher, &SessionEndWatcher::sessionEnding, &app, endSession);
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &app, [endSession](QSessionManager&) { endSession(); });

    const QString settings = SettingsFilePath();
    if (RunModeFor(arguments) != RunMode::Agent)
        TakeOverSettings(QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini"), settings);
    window = StartProgram(arguments, settings, CreateThemeWindow);
    if (!window || ending)
        return 0;

    // Media keys and the desktop's player applets, while the main window runs.
    if (auto* main = qobject_cast<TfmPrinc*>(window.get()))
        AttachDesktopControls(main);

    if (agent) {
        // The agent lives, hidden, until the session ends or it is stopped; its
        // popups coming and going must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(window.get(), &QObject::destroyed, &app, &QCoreApplication::quit);
    }

    QPointer<QWidget> alive = window.get();
    const int code = app.exec();
    if (!alive)
        (void)window.release(); // it freed itself on close
    window.reset();
    return code;
}
