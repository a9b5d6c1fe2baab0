// Frames made by hand, one colour per quarter, read back as pictures: each YUV
// layout (plane order, interleaving, chroma rows), colour space and range.
#include "support/table.h"
#include "ui/player/framepicture.h"

#include <QTest>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <array>

namespace {

struct Yuv {
    int y, u, v;
};
// Top left, top right, bottom left, bottom right.
using Quarters = std::array<Yuv, 4>;
using Colours = std::array<QColor, 4>;

const Colours kColours{QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 255, 0), QColor(255, 255, 255)};
// kColours in BT.601 and BT.709, video range, and BT.601 full range.
const Quarters kBt601{{{81, 90, 240}, {41, 240, 110}, {145, 54, 34}, {235, 128, 128}}};
const Quarters kBt709{{{63, 102, 240}, {32, 240, 118}, {173, 42, 26}, {235, 128, 128}}};
const Quarters kBt601Full{{{76, 85, 255}, {29, 255, 107}, {150, 44, 21}, {255, 128, 128}}};

// A 4 x 4 frame of `format` holding `quarters`.
QVideoFrame makeFrame(QVideoFrameFormat::PixelFormat pixelFormat, QVideoFrameFormat::ColorSpace space,
    QVideoFrameFormat::ColorRange range, const Quarters& quarters)
{
    using F = QVideoFrameFormat;
    F format(QSize(4, 4), pixelFormat);
    format.setColorSpace(space);
    format.setColorRange(range);
    QVideoFrame frame(format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    const auto at = [&](int x, int y) { return quarters[size_t((y / 2) * 2 + x / 2)]; };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = uchar(at(x, y).y);
    const bool semiPlanar = pixelFormat == F::Format_NV12 || pixelFormat == F::Format_NV21;
    const bool swapped = pixelFormat == F::Format_YV12 || pixelFormat == F::Format_NV21;
    const int rows = pixelFormat == F::Format_YUV422P ? 4 : 2;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < 2; ++col) {
            const Yuv c = at(col * 2, row * 4 / rows);
            const int first = swapped ? c.v : c.u;
            const int second = swapped ? c.u : c.v;
            if (semiPlanar) {
                uchar* line = frame.bits(1) + row * frame.bytesPerLine(1);
                line[col * 2] = uchar(first);
                line[col * 2 + 1] = uchar(second);
            } else {
                frame.bits(1)[row * frame.bytesPerLine(1) + col] = uchar(first);
                frame.bits(2)[row * frame.bytesPerLine(2) + col] = uchar(second);
            }
        }
    }
    frame.unmap();
    return frame;
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3 && qAbs(a.blue() - b.blue()) <= 3;
}

} // namespace

Q_DECLARE_METATYPE(Quarters)

class TestFramePicture : public QObject {
    Q_OBJECT
private slots:
    void colours_data();
    void colours();
    void sizes_data();
    void sizes();
};

void TestFramePicture::colours_data()
{
    using F = QVideoFrameFormat;
    zv::test::columns<F::PixelFormat, F::ColorSpace, F::ColorRange, Quarters>(
        "format", "space", "range", "quarters");
    zv::test::row("I420", F::Format_YUV420P, F::ColorSpace_BT601, F::ColorRange_Video, kBt601);
    zv::test::row("YV12: V before U", F::Format_YV12, F::ColorSpace_BT601, F::ColorRange_Video, kBt601);
    zv::test::row("NV12: UV interleaved", F::Format_NV12, F::ColorSpace_BT601, F::ColorRange_Video, kBt601);
    zv::test::row("NV21: VU interleaved", F::Format_NV21, F::ColorSpace_BT601, F::ColorRange_Video, kBt601);
    zv::test::row(
        "4:2:2: chroma on each row", F::Format_YUV422P, F::ColorSpace_BT601, F::ColorRange_Video, kBt601);
    zv::test::row("colour space unsaid: BT.601", F::Format_YUV420P, F::ColorSpace_Undefined,
        F::ColorRange_Unknown, kBt601);
    zv::test::row("BT.709", F::Format_YUV420P, F::ColorSpace_BT709, F::ColorRange_Video, kBt709);
    zv::test::row("full range", F::Format_NV12, F::ColorSpace_BT601, F::ColorRange_Full, kBt601Full);
}

void TestFramePicture::colours()
{
    using F = QVideoFrameFormat;
    QFETCH(F::PixelFormat, format);
    QFETCH(F::ColorSpace, space);
    QFETCH(F::ColorRange, range);
    QFETCH(Quarters, quarters);
    const QImage picture = FramePicture(makeFrame(format, space, range, quarters), QSize(4, 4));
    QCOMPARE(picture.size(), QSize(4, 4));
    const QPoint corners[] = {{0, 0}, {3, 0}, {0, 3}, {3, 3}};
    for (size_t i = 0; i < kColours.size(); ++i) {
        const QColor got = picture.pixelColor(corners[i]);
        QVERIFY2(
            near(got, kColours[i]), qPrintable(got.name() + QLatin1String(" for ") + kColours[i].name()));
    }
}

void TestFramePicture::sizes_data()
{
    zv::test::columns<QSize, QSize>("asked", "made");
    zv::test::row("a quarter each pixel", QSize(2, 2), QSize(2, 2));
    zv::test::row("never larger than the frame", QSize(400, 300), QSize(4, 4));
    zv::test::row("one row", QSize(4, 1), QSize(4, 1));
    zv::test::row("nothing", QSize(0, 3), QSize(0, 0));
}

void TestFramePicture::sizes()
{
    QFETCH(QSize, asked);
    QFETCH(QSize, made);
    const QVideoFrame frame = makeFrame(QVideoFrameFormat::Format_YUV420P,
        QVideoFrameFormat::ColorSpace_BT601, QVideoFrameFormat::ColorRange_Video, kBt601);
    const QImage picture = FramePicture(frame, asked);
    QCOMPARE(picture.size(), made);
    if (made == QSize(2, 2))
        QVERIFY(near(picture.pixelColor(1, 1), kColours[3]));
}

QTEST_MAIN(TestFramePicture)
#include "tst_framepicture.moc"
