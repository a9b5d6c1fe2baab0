#pragma once
// How readable the texts of a window are, read from what the window renders:
// the contrast of each text's glyphs against the pixels really under them.
#include "ui/controls/focusmark.h"

#include <QColor>
#include <QList>
#include <QString>

class QWidget;

namespace zv::test {

using zv::ContrastRatio;

struct TextReading {
    QString where; // the control (and the item or state)
    QString text;
    double ratio = 0; // 1: the text does not show at all
    double needed = 4.5; // 3 for bold text of 14 pixels and more
    QColor ink, ground; // a glyph pixel and the pixel under it
    bool whole = true; // false: the control is too small for all of its text
    bool readable() const { return ratio >= needed; }
};

// Every text a shown window draws in its visible, enabled controls: labels,
// buttons and image button captions, edit and combo boxes, tabs, list rows and
// headers, menu items, the ticker. Not the windows it owns, not web pages.
// Controls are grabbed as the window draws them, once with their text and
// once without; list rows and menu items, whose text cannot be taken away, are
// read against the colour that fills most of each of their pixel lines.
QList<TextReading> ReadTexts(QWidget* window);

// The focus mark of every control Tab reaches in a shown, active window: the
// pixels that the focus changes, against what they show without it. A mark
// reads when it reaches 3:1 along at least half the control's outline (the
// ratio given is the one reached there). Not inside web pages.
QList<TextReading> ReadFocusMarks(QWidget* window);

// The readings below their threshold, one per line.
QString Unreadable(const QList<TextReading>& readings);
// The texts cut off by their control, one per line.
QString CutOff(const QList<TextReading>& readings);

} // namespace zv::test
