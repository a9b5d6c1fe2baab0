#pragma once
// The focus mark of each theme, for the skinned controls of its windows.
#include "ui/controls/focusmark.h"

class QWidget;

namespace zv::themes {

FocusMark FocusMarkOf(int theme);

// Gives the mark to every image button and slider of the window.
void ApplyFocusMark(QWidget* window, const FocusMark& mark);

} // namespace zv::themes
