#pragma once
// What the skinned controls tell assistive technology (AT-SPI on Linux): the
// image button is a push button (or a toggle button when it stays down) that
// can be pressed, the ticker a text, and a status label announces each new
// text it shows.
class QLabel;

namespace zv {

// Registers the interfaces of the skinned controls, once per process. The
// controls call it themselves when they are created.
void InstallControlsAccessibility();

// The label becomes a status line: assistive technology is told of each new
// text (a change of its name), so that a screen reader can say it. Call it
// once the label exists, before anything reads it.
void AnnounceChanges(QLabel* label);

} // namespace zv
