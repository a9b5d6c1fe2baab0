#pragma once
// The main window on the desktop: brought forward by a second start or the
// desktop's player controls.
class QWidget;

// Restores a minimised window, raises and activates it; a hidden window (the
// popup agent without /test) stays hidden.
void BringToFront(QWidget* window);
