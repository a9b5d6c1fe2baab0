#pragma once
// Start at log-on: a freedesktop autostart entry named after the program's Run
// value, "Zevalo Multimedia V3.desktop" in $XDG_CONFIG_HOME/autostart/. Its
// command is the program's own path, quoted, with no arguments, so an
// autostarted program opens the portal. Errors are swallowed.
#include <QByteArray>
#include <QString>

QString AutostartFilePath();
// The entry that starts this program file.
QByteArray AutostartEntry(const QString& program);

bool IsAutostartOn();
// On writes the entry (replacing an earlier one), off removes it if present.
void SetAutostart(bool on);
