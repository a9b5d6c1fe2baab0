#pragma once
// The theme pictures at the screen's density. Every picture is drawn at 1x and
// at 2x ("name@2x.png"); a dense screen gets the 2x one, at the same size in
// logical pixels, so nothing is upscaled and blurred.
#include <QPixmap>
#include <QString>
#include <functional>

class QPainter;

namespace zv::themes {

// 1 or 2: the density of the pictures this process shows.
qreal PictureRatio();

// ":/themes/themeN/NAME" at the screen's density; null when there is none.
QPixmap Picture(int theme, const QString& name);
// A picture every theme shares (flags, badges): ":/themes/icons/NAME".
QPixmap SharedPicture(const QString& name);

// A picture drawn by code, at the screen's density, for the few windows that
// draw their own (logical size; the painter works in logical pixels).
QPixmap DrawnPicture(QSize size, const std::function<void(QPainter&)>& draw);

} // namespace zv::themes
