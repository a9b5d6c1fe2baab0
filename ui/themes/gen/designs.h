#pragma once
// One designer per theme: each draws its own background, button family,
// sliders, logo and the pictures of its game and sponsor windows. The base
// class writes them all under the names the windows load.
#include "canvas.h"
#include "ui/themes/looks.h"

#include <memory>

namespace gen {

using zv::themes::Box;
using zv::themes::Layout;
using zv::themes::Look;

QRectF rectOf(const Box& b);

class Designer {
public:
    explicit Designer(const Look& look);
    virtual ~Designer() = default;

    // Writes every picture of the theme into "themeN/".
    void drawAll();

protected:
    // The window's background: art, title band, ticker strip, the frames
    // behind the panels, the bottom bar.
    virtual void background(QPainter& p) = 0;
    // A section button (81 x 25) in a state; the control draws the caption.
    virtual void sectionButton(QPainter& p, const QRectF& r, State s) = 0;
    // The body of a square button (51 x 51) of the playback row.
    virtual void squareButton(QPainter& p, const QRectF& r, State s) = 0;
    // The ink of the glyph and label on a square button.
    virtual QColor squareInk(State s) const = 0;
    virtual qreal glyphWeight() const { return 2.2; }
    // A title button of the main window (23 x 21).
    virtual void windowButton(QPainter& p, const QRectF& r, State s, bool close) = 0;
    // The slider: its track (stretched) and its knob (11 x 21).
    virtual void track(QPainter& p, const QRectF& r) = 0;
    virtual void knob(QPainter& p, const QRectF& r, State s) = 0;
    // The logo in its room left of the ad band.
    virtual void logo(QPainter& p, const QRectF& r) = 0;
    // A button of the game window's title bar, at the theme's size.
    virtual void gameButton(QPainter& p, const QRectF& r, Glyph g, State s) = 0;
    // The sponsor window (483 x 218): its background, with the heading band
    // (y 4 to 31) and the frames of the two banners.
    virtual void sponsorBackground(QPainter& p, const QRectF& r) = 0;
    // Pictures only this theme has.
    virtual void extras() { }

    // The labels under the glyphs of the square buttons.
    QFont squareFont() const;

    const Look& look_;
    const Layout lay_;
    const zv::themes::Ink& ink_;
    QString dir_;

private:
    void squareButtons(const QString& base, const QString& text, Glyph normal, Glyph down, bool inactive);
};

std::unique_ptr<Designer> designerFor(const Look& look);

std::unique_ptr<Designer> makeTagada(const Look& look);
std::unique_ptr<Designer> makeBasic(const Look& look);
std::unique_ptr<Designer> makeMac(const Look& look);
std::unique_ptr<Designer> makeChlorophylle(const Look& look);
std::unique_ptr<Designer> makeMoon(const Look& look);

void flags();

// Shared pieces of art.
void softShadow(QPainter& p, const QPainterPath& shape, int spread, int strength, QPointF offset = {0, 2});

} // namespace gen
