#pragma once
// What every drawing of the theme generator shares: pictures written at 1x and
// 2x from one drawing in logical pixels, the button states, the glyphs and a
// repeatable random source for the art.
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <functional>

namespace gen {

using Draw = std::function<void(QPainter&)>;

// Writes NAME and NAME@2x (before the extension) into the output folder, both
// drawn by draw in logical pixels of size.
void picture(const QString& name, QSize size, const Draw& draw);
// The same for an opaque JPEG picture (the window backgrounds).
void photo(const QString& name, QSize size, const Draw& draw);

void setOutput(const QString& folder);
QStringList written();

enum class State { Actif, Survol, Enfonce, EnfonceSurvol, Inactif };
const char* stateName(State s);
bool pressed(State s);

QColor rgb(unsigned v);

// A button body's colours in one state: the two of its gradient (light end
// first in most designs) and its rim.
struct Shade {
    Shade(const QColor& from, const QColor& to, const QColor& rim)
        : from(from)
        , to(to)
        , rim(rim)
    {
    }
    // As 0xRRGGBB.
    Shade(unsigned from, unsigned to, unsigned rim)
        : Shade(rgb(from), rgb(to), rgb(rim))
    {
    }
    QColor from, to, rim;
};
// A button body's colours in each state.
struct Shades {
    Shade rest, hover, pressed, pressedHover, disabled;
    const Shade& operator[](State s) const;
};
// Gets the painter ready to draw a body: a rim of that width and a gradient
// from one colour at start to the other at end.
void shadeWith(QPainter& p, const Shade& shade, QPointF start, QPointF end, qreal rimWidth);

QFont font(const char* family, qreal pixels, bool bold = true);

QColor mix(const QColor& a, const QColor& b, qreal t); // t = 0: a, 1: b
QColor alpha(QColor c, int a);

// A repeatable random source: the same art on every build and at both scales.
class Rng {
public:
    explicit Rng(unsigned seed)
        : state_(seed * 2654435761u + 1)
    {
    }
    double next(); // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
    unsigned state_;
};

// The glyphs of the playback row and of the window buttons, in box.
enum class Glyph {
    Play,
    Stop,
    Pause,
    Sound,
    Mute,
    FullScreen,
    Mail,
    Gear,
    Close,
    Minimise,
    Maximise,
    Restore
};
// weight: stroke width of the line glyphs.
void glyph(QPainter& p, Glyph g, const QRectF& box, const QColor& ink, qreal weight);

// Rounded rectangle with separate corner radii (top-left, top-right,
// bottom-right, bottom-left).
QPainterPath corners(const QRectF& r, qreal tl, qreal tr, qreal br, qreal bl);
// Rectangle with its corners cut at 45 degrees.
QPainterPath chamfered(const QRectF& r, qreal cut);
// A glossy cap: white fading from one opacity at its top to another at its
// bottom, with round ends.
void gloss(QPainter& p, const QRectF& cap, int topAlpha, int bottomAlpha);
// Fills r with a gradient from its top to its bottom through these stops.
void fillDown(QPainter& p, const QRectF& r, const QGradientStops& stops);
// A frame of that width drawn just inside r.
void outline(QPainter& p, const QRectF& r, const QColor& ink, qreal width);
// A text baked into a picture, centred in box.
void label(QPainter& p, const QRectF& box, const QString& text, const QFont& f, const QColor& ink);

} // namespace gen
