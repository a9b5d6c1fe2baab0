#pragma once
// A small writer of uncompressed ("FWS") Shockwave Flash movies: a background
// colour, filled polygons and one placement per shape and frame. Enough for
// the demo portal's animated games.
#include <QByteArray>
#include <QPointF>
#include <QString>
#include <QVector>

namespace zvs {

struct SwfColour {
    int r = 255, g = 255, b = 255;
    static SwfColour fromHex(const QString& text); // "#rrggbb"; white when malformed
    SwfColour scaled(double factor) const; // darker below 1, lighter above
};

struct SwfShape {
    QVector<QPointF> points; // pixels, around the shape's own origin
    SwfColour colour;
};

struct SwfPlacement {
    int shape = 0; // index into the shapes
    int depth = 1;
    QPointF position; // pixels
    double rotation = 0; // degrees
    double scale = 1;
};

struct SwfMovie {
    int width = 550;
    int height = 400;
    int fps = 25;
    SwfColour background;
    QVector<SwfShape> shapes;
    QVector<QVector<SwfPlacement>> frames; // at least one
};

QByteArray writeSwf(const SwfMovie& movie);

// A regular polygon of `sides` corners (a circle when there are many).
QVector<QPointF> regularPolygon(int sides, double radius, double startDegrees = 0);

} // namespace zvs
