#pragma once
// The mark a skinned control draws round itself while it has the keyboard
// focus. Each theme gives its own; the default one, a light line over a dark
// one, shows on any ground.
#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace zv {

struct FocusMark {
    enum class Shape {
        Rounded, // every corner rounded by radius
        Leaf, // top-left and bottom-right corners rounded, the others square
    };
    QColor ring = QColor(0xFF, 0xFF, 0xFF); // the outer line
    QColor halo = QColor(0x10, 0x10, 0x10); // a line just inside it; invalid: none
    qreal width = 2; // of the outer line, in pixels
    qreal radius = 3;
    Shape shape = Shape::Rounded;

    // Of the two lines, the one that reads better on a fill (for controls
    // whose mark is a single line of their style sheet).
    QColor lineOn(const QColor& fill) const;
};

// The contrast of two colours as WCAG measures it, from 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

// The desktop's style draws the focus of a button as a line in the highlight
// colour, one point wide, which its own light blue makes too faint. Windows
// in the desktop's style take this darker one (for their lists' and fields'
// lines too): it reads on their light grounds at any scale.
QColor DesktopFocusLine();
void UseDesktopFocusLine(QWidget* window);

// True while the widget has the focus and the keyboard has been moving it in
// its window: the mark shows for keyboard users, not after a start-up or a click.
bool ShowsFocusMark(const QWidget* widget);

// Draws the mark just inside `area`.
void PaintFocusMark(QPainter& painter, const QRectF& area, const FocusMark& mark);

// A mark laid over a control whose children cover it (the slider frame): a
// child that follows its owner's size and focus and lets the mouse through.
class FocusMarkOverlay : public QWidget {
    Q_OBJECT
public:
    explicit FocusMarkOverlay(QWidget* owner);
    void setMark(const FocusMark& mark);
    const FocusMark& mark() const { return mark_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    FocusMark mark_;
};

} // namespace zv
