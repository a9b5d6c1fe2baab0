#pragma once
// The program's start: which window opens, and the application set-up around it.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QApplication;
class QWidget;
class TfmPrinc;

using ThemeWindowFactory = std::function<std::unique_ptr<TfmPrinc>(int theme)>;

// Title, Qt's French translations and the default error handler's message box.
void SetupApplication(QApplication& app);

// The one top-level window of the process, already started: the hidden popup
// agent for /info (the settings file is not touched), otherwise the main window
// of the stored theme once its start-up has agreed to go on, shown. Nullptr when
// the program must end: start-up refused, or a bad theme repaired (its message
// has been shown). arguments leave out the program name.
std::unique_ptr<QWidget> StartProgram(
    const QStringList& arguments, const QString& configPath, const ThemeWindowFactory& createWindow);

// The whole program: set-up, the window above, the event loop.
int RunZevalo(int argc, char** argv);
