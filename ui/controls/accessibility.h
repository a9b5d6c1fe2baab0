#pragma once
// What the skinned controls tell assistive technology (AT-SPI on Linux): the
// image button is a push button (or a toggle button when it stays down) that
// can be pressed, the ticker a text, a status label announces each new text it
// shows, and a label that reacts to clicks is a link the keyboard reaches.
#include <functional>

class QLabel;
class QWidget;

namespace zv {

// Registers the interfaces of the skinned controls, once per process. The
// controls call it themselves when they are created.
void InstallControlsAccessibility();

// The label becomes a status line: assistive technology is told of each new
// text (a change of its name), so that a screen reader can say it. Call it
// once the label exists, before anything reads it.
void AnnounceChanges(QLabel* label);

// The label becomes a link: a left click on it, Enter or Space while it has
// the focus (Tab reaches it), and assistive technology's press all run
// onClick. Its focus line is its style's (":focus").
void MakeClickable(QLabel* label, std::function<void()> onClick);

// The control is named after the label's text (without its closing colon),
// and renamed whenever the label shows another text.
void NameAfter(QWidget* control, QLabel* label);

// Assistive technology is told that pressing the button opens a menu.
void MarkOpensMenu(QWidget* button);

} // namespace zv
