#pragma once
// A video frame as the picture shown on screen. Decoders hand over YUV frames
// at the stream's own size; converting them whole, then scaling, costs a
// 720p stream shown in the player frame twenty times the pixels it shows.
// Here the frame is read at the size it is shown at (its planes sampled
// directly, BT.601 or BT.709, video or full range).
#include <QImage>

class QVideoFrame;

// `frame` as an RGB picture of `size` (never larger than the frame: a larger
// picture is scaled when drawn). Formats other than the planar and
// semi-planar 8-bit YUV ones go through Qt's own conversion.
QImage FramePicture(QVideoFrame frame, QSize size);
