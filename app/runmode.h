#pragma once
// The start-up decisions that need no window: the command-line switches and the
// theme to open.
#include <QString>
#include <QStringList>

class TConfig;

// True when one of the arguments (the program name left out) is the word written
// with a leading slash, letter case free; "-info" or "/infos" are not.
bool HasSwitch(const QStringList& arguments, QStringView word);

enum class RunMode { Agent, Portal };
RunMode RunModeFor(const QStringList& arguments);

// The theme whose main window opens, 1..5. Any other stored number is replaced
// by 2 in the settings file and 0 is returned: the program shows
// ThemeRepairMessage() and ends.
int ThemeToOpen(TConfig& config);
QString ThemeRepairMessage();

// Changes to the environment that must precede the application object: the
// browser's sandbox off as root, the GStreamer media backend, xcb under Wayland.
void PrepareEnvironment();
