#include "ui/player/framepicture.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <algorithm>

namespace {

// YUV to RGB in fixed point (times 256).
struct Coefficients {
    int black; // Y of black
    int y, rv, gu, gv, bu;
};

Coefficients coefficients(const QVideoFrameFormat& format)
{
    const bool bt709 = format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709;
    if (format.colorRange() == QVideoFrameFormat::ColorRange_Full)
        return bt709 ? Coefficients{0, 256, 403, -48, -120, 475} : Coefficients{0, 256, 359, -88, -183, 454};
    return bt709 ? Coefficients{16, 298, 459, -55, -136, 541} : Coefficients{16, 298, 409, -100, -208, 516};
}

inline int channel(int value)
{
    return std::clamp((value + 128) >> 8, 0, 255);
}

inline QRgb rgb(const Coefficients& c, int y, int u, int v)
{
    const int luma = c.y * (y - c.black);
    u -= 128;
    v -= 128;
    return qRgb(channel(luma + c.rv * v), channel(luma + c.gu * u + c.gv * v), channel(luma + c.bu * u));
}

} // namespace

QImage FramePicture(QVideoFrame frame, QSize size)
{
    using F = QVideoFrameFormat;
    const F::PixelFormat format = frame.pixelFormat();
    const bool planar
        = format == F::Format_YUV420P || format == F::Format_YV12 || format == F::Format_YUV422P;
    const bool semiPlanar = format == F::Format_NV12 || format == F::Format_NV21;
    size = size.boundedTo(frame.size());
    if (size.isEmpty())
        return {};
    if (!planar && !semiPlanar) {
        const QImage whole = frame.toImage();
        return whole.isNull() ? whole : whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (!frame.map(QVideoFrame::ReadOnly))
        return {};
    const uchar* lumaPlane = frame.bits(0);
    const int lumaStride = frame.bytesPerLine(0);
    const uchar* uPlane = frame.bits(1);
    const uchar* vPlane = planar ? frame.bits(2) : frame.bits(1) + 1;
    if (format == F::Format_YV12 || format == F::Format_NV21)
        std::swap(uPlane, vPlane);
    const int chromaStride = frame.bytesPerLine(1);
    const int chromaStep = planar ? 1 : 2; // U and V interleaved in one plane
    const int chromaRows = format == F::Format_YUV422P ? 1 : 2; // luma rows per chroma row
    const Coefficients c = coefficients(frame.surfaceFormat());

    QImage picture(size, QImage::Format_RGB32);
    const int width = frame.width();
    const int height = frame.height();
    for (int row = 0; row < size.height(); ++row) {
        const int y = row * height / size.height();
        const uchar* luma = lumaPlane + y * lumaStride;
        const uchar* u = uPlane + (y / chromaRows) * chromaStride;
        const uchar* v = vPlane + (y / chromaRows) * chromaStride;
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(row));
        for (int col = 0; col < size.width(); ++col) {
            const int x = col * width / size.width();
            const int chroma = (x / 2) * chromaStep;
            out[col] = rgb(c, luma[x], u[chroma], v[chroma]);
        }
    }
    frame.unmap();
    return picture;
}
