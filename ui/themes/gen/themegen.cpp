// Draws the pictures of the themes (backgrounds, image buttons, flags, badges)
// and writes them, with the resource list that embeds them, into a folder of
// the build tree. Run at build time; nothing here ships as a program.
#include "ui/themes/looks.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <cmath>
#include <functional>

namespace {

QString outDir;
QStringList written;

void save(const QImage& image, const QString& name)
{
    const QString path = outDir + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool jpeg = name.endsWith(QLatin1String(".jpg"));
    if (!image.save(path, jpeg ? "JPG" : "PNG", jpeg ? 92 : -1))
        qFatal("cannot write %s", qPrintable(path));
    written << name;
}

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The colours of one look.
struct Palette {
    QColor bgTop, bgBottom; // window background gradient
    QColor card, cardBorder; // frames behind the panels
    QColor button, buttonHi; // button body gradient (bottom, top)
    QColor border; // button border
    QColor accent, accentDark; // hover rim and pressed body
    QColor text; // glyphs and baked labels
    QColor muted; // inactive glyphs
};

QFont font(int pixelSize, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

enum class State { Actif, Survol, Enfonce, EnfonceSurvol, Inactif };

const char* stateName(State s)
{
    switch (s) {
    case State::Actif: return "actif";
    case State::Survol: return "survol";
    case State::Enfonce: return "enfonce";
    case State::EnfonceSurvol: return "enfoncesurvol";
    case State::Inactif: return "inactif";
    }
    return "";
}

// A rounded button body in the given state.
void drawBody(QPainter& p, const QRectF& r, qreal radius, State s, const Palette& c)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    QColor top = c.buttonHi, bottom = c.button, rim = c.border;
    switch (s) {
    case State::Actif: break;
    case State::Survol:
        top = c.buttonHi.lighter(125);
        bottom = c.button.lighter(125);
        rim = c.accent;
        break;
    case State::Enfonce:
        top = c.accent;
        bottom = c.accentDark;
        rim = c.accent.lighter(120);
        break;
    case State::EnfonceSurvol:
        top = c.accent.lighter(115);
        bottom = c.accentDark.lighter(115);
        rim = c.accent.lighter(140);
        break;
    case State::Inactif:
        top = c.button;
        bottom = c.button.darker(115);
        rim = c.border.darker(130);
        break;
    }
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(rim, 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // A soft highlight along the top edge.
    if (s != State::Inactif) {
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawLine(QPointF(r.left() + radius, r.top() + 1.5), QPointF(r.right() - radius, r.top() + 1.5));
    }
}

QColor glyphColour(State s, const Palette& c)
{
    return s == State::Inactif ? c.muted : c.text;
}

using Glyph = std::function<void(QPainter&, const QRectF&, QColor, State)>;

// A square playback-row button: glyph in the upper part, label below.
void squareButton(
    const QString& base, const QString& label, const Glyph& glyph, bool withInactive, const Palette& c)
{
    QList<State> states = {State::Actif, State::Survol, State::Enfonce, State::EnfonceSurvol};
    if (withInactive)
        states << State::Inactif;
    for (State s : states) {
        QImage img = canvas(51, 51);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        drawBody(p, QRectF(0, 0, 51, 51), 10, s, c);
        const QColor col = glyphColour(s, c);
        glyph(p, QRectF(13, 7, 25, 25), col, s);
        p.setPen(col);
        p.setFont(font(9, false));
        p.drawText(QRectF(0, 33, 51, 14), Qt::AlignCenter, label);
        p.end();
        save(img, QStringLiteral("%1_%2.png").arg(base, QLatin1String(stateName(s))));
    }
}

void glyphPlay(QPainter& p, const QRectF& r, QColor col, State s)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    if (s == State::Enfonce || s == State::EnfonceSurvol) {
        // Pressed means playing: the picture offers to stop.
        p.drawRoundedRect(r.adjusted(6, 6, -6, -6), 2, 2);
        return;
    }
    QPainterPath path;
    path.moveTo(r.left() + 7, r.top() + 4);
    path.lineTo(r.right() - 4, r.center().y());
    path.lineTo(r.left() + 7, r.bottom() - 4);
    path.closeSubpath();
    p.drawPath(path);
}

void glyphPause(QPainter& p, const QRectF& r, QColor col, State)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawRoundedRect(QRectF(r.left() + 6, r.top() + 5, 5, r.height() - 10), 1.5, 1.5);
    p.drawRoundedRect(QRectF(r.right() - 11, r.top() + 5, 5, r.height() - 10), 1.5, 1.5);
}

void speaker(QPainter& p, const QRectF& r, QColor col)
{
    QPainterPath path;
    const qreal cy = r.center().y();
    path.moveTo(r.left() + 3, cy - 4);
    path.lineTo(r.left() + 8, cy - 4);
    path.lineTo(r.left() + 14, cy - 9);
    path.lineTo(r.left() + 14, cy + 9);
    path.lineTo(r.left() + 8, cy + 4);
    path.lineTo(r.left() + 3, cy + 4);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(path);
}

void glyphMute(QPainter& p, const QRectF& r, QColor col, State s)
{
    speaker(p, r, col);
    p.setBrush(Qt::NoBrush);
    const qreal cy = r.center().y();
    if (s == State::Enfonce || s == State::EnfonceSurvol) {
        p.setPen(QPen(col, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(r.left() + 17, cy - 4), QPointF(r.left() + 23, cy + 4));
        p.drawLine(QPointF(r.left() + 23, cy - 4), QPointF(r.left() + 17, cy + 4));
        return;
    }
    p.setPen(QPen(col, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(r.left() + 8, cy - 6, 12, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(r.left() + 6, cy - 10, 20, 20), -50 * 16, 100 * 16);
}

void glyphFullScreen(QPainter& p, const QRectF& r, QColor col, State)
{
    p.setPen(QPen(col, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF b = r.adjusted(4, 5, -4, -5);
    const qreal k = 6;
    auto corner = [&](QPointF a, QPointF m, QPointF z) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(m);
        path.lineTo(z);
        p.drawPath(path);
    };
    corner({b.left(), b.top() + k}, b.topLeft(), {b.left() + k, b.top()});
    corner({b.right() - k, b.top()}, b.topRight(), {b.right(), b.top() + k});
    corner({b.right(), b.bottom() - k}, b.bottomRight(), {b.right() - k, b.bottom()});
    corner({b.left() + k, b.bottom()}, b.bottomLeft(), {b.left(), b.bottom() - k});
}

void glyphMail(QPainter& p, const QRectF& r, QColor col, State)
{
    const QRectF b = r.adjusted(2, 6, -2, -5);
    p.setPen(QPen(col, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(b, 2, 2);
    QPainterPath v;
    v.moveTo(b.topLeft() + QPointF(1, 1));
    v.lineTo(b.center().x(), b.center().y() + 1);
    v.lineTo(b.topRight() + QPointF(-1, 1));
    p.drawPath(v);
}

void glyphGear(QPainter& p, const QRectF& r, QColor col, State)
{
    const QPointF c = r.center();
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a = M_PI * i / teeth;
        const double rad = (i % 2 == 0) ? 11.0 : 8.5;
        const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(gear.subtracted(hole));
}

// The section buttons: a pill body only, the control draws the caption.
void sectionButton(const Palette& c, const QString& dir)
{
    for (State s : {State::Actif, State::Survol, State::Enfonce, State::EnfonceSurvol}) {
        QImage img = canvas(81, 25);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        drawBody(p, QRectF(0, 0, 81, 25), 12, s, c);
        p.end();
        save(img, QStringLiteral("%1/btnfct_%2.png").arg(dir, QLatin1String(stateName(s))));
    }
}

void titleButtons(const Palette& c, const QString& dir)
{
    for (State s : {State::Actif, State::Survol, State::Enfonce}) {
        for (int close = 0; close < 2; ++close) {
            QImage img = canvas(23, 21);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            QColor body = s == State::Actif ? QColor(255, 255, 255, 18)
                                            : (close ? QColor(0xE0, 0x40, 0x40) : c.accent);
            if (s == State::Enfonce)
                body = body.darker(130);
            p.setPen(Qt::NoPen);
            p.setBrush(body);
            p.drawRoundedRect(QRectF(0.5, 0.5, 22, 20), 5, 5);
            p.setPen(QPen(c.text, 1.8, Qt::SolidLine, Qt::RoundCap));
            if (close) {
                p.drawLine(QPointF(7.5, 6.5), QPointF(15.5, 14.5));
                p.drawLine(QPointF(15.5, 6.5), QPointF(7.5, 14.5));
            } else {
                p.drawLine(QPointF(7, 14), QPointF(16, 14));
            }
            p.end();
            save(img,
                QStringLiteral("%1/%2_%3.png")
                    .arg(
                        dir, QLatin1String(close ? "btnferme" : "btnminimise"), QLatin1String(stateName(s))));
        }
    }
}

void sliderPictures(const Palette& c, const QString& dir)
{
    // The tracks are stretched by the slider: a thin rounded bar in the middle.
    for (int h : {4, 21}) {
        QImage img = canvas(81, h);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal y = (h - 4) / 2.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 45));
        p.drawRoundedRect(QRectF(0, y, 81, 4), 2, 2);
        p.end();
        save(img, QStringLiteral("%1/glissiere%2.png").arg(dir).arg(h));
    }
    for (State s : {State::Actif, State::Survol, State::Inactif}) {
        QImage img = canvas(11, 21);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, 21);
        QColor top = s == State::Inactif ? c.muted : (s == State::Survol ? c.accent.lighter(130) : c.accent);
        g.setColorAt(0, top.lighter(115));
        g.setColorAt(1, top.darker(120));
        p.setPen(QPen(QColor(0, 0, 0, 90), 1));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(1.5, 2.5, 8, 16), 3.5, 3.5);
        p.end();
        save(img, QStringLiteral("%1/curseur_%2.png").arg(dir, QLatin1String(stateName(s))));
    }
}

void logo(const Palette& c, const QString& dir)
{
    QImage img = canvas(196, 60);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The mark: a rounded square with a play triangle cut into a "Z" stroke.
    QRectF mark(4, 8, 44, 44);
    QLinearGradient g(mark.topLeft(), mark.bottomRight());
    g.setColorAt(0, c.accent.lighter(120));
    g.setColorAt(1, c.accentDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(mark, 11, 11);
    QPainterPath z;
    z.moveTo(mark.left() + 11, mark.top() + 11);
    z.lineTo(mark.right() - 11, mark.top() + 11);
    z.lineTo(mark.left() + 11, mark.bottom() - 11);
    z.lineTo(mark.right() - 11, mark.bottom() - 11);
    p.setPen(QPen(c.text, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(z);
    p.setPen(c.text);
    p.setFont(font(25, true));
    p.drawText(QRectF(56, 6, 140, 32), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("zevalo"));
    p.setPen(c.accent.lighter(130));
    QFont small = font(11, false);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
    p.setFont(small);
    p.drawText(QRectF(57, 36, 140, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("MULTIMÉDIA"));
    p.end();
    save(img, QStringLiteral("%1/logo.png").arg(dir));

    // The same, faint, for the empty player.
    QImage faint = canvas(196, 60);
    QPainter f(&faint);
    f.setOpacity(0.16);
    f.drawImage(0, 0, img);
    f.end();
    save(faint, QStringLiteral("%1/filigrane.png").arg(dir));
}

struct Rect {
    int l, t, r, b; // inclusive edges of a panel
};

void card(QPainter& p, const Rect& panel, int margin, const Palette& c, qreal radius = 8)
{
    const QRectF r(panel.l - margin + 0.5, panel.t - margin + 0.5, panel.r - panel.l + 1 + 2 * margin - 1,
        panel.b - panel.t + 1 + 2 * margin - 1);
    // A shadow under the frame, then the frame itself.
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 28));
        p.drawRoundedRect(r.adjusted(-i, -i + 2, i, i + 2), radius + i, radius + i);
    }
    p.setPen(QPen(c.cardBorder, 1));
    p.setBrush(c.card);
    p.drawRoundedRect(r, radius, radius);
}

// The background of a theme of the dark family. Panel places follow the
// theme's layout markers (HG, and BD plus its 17-pixel size minus one).
void background(const Palette& c, const QString& dir, int width, int height, const Rect& player,
    const Rect& list, const Rect& pub, int buttonRowY, int tickerY)
{
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, c.bgTop);
    g.setColorAt(1, c.bgBottom);
    p.fillRect(img.rect(), g);
    // A faint glow behind the title area.
    QRadialGradient glow(QPointF(width * 0.30, 40), width * 0.55);
    QColor a = c.accent;
    a.setAlpha(38);
    glow.setColorAt(0, a);
    glow.setColorAt(1, Qt::transparent);
    p.fillRect(img.rect(), glow);

    // Title bar with its accent line.
    QLinearGradient bar(0, 0, 0, 30);
    bar.setColorAt(0, QColor(255, 255, 255, 14));
    bar.setColorAt(1, QColor(255, 255, 255, 4));
    p.fillRect(QRect(0, 0, width, 30), bar);
    QLinearGradient line(0, 0, width, 0);
    line.setColorAt(0, Qt::transparent);
    line.setColorAt(0.2, c.accent);
    line.setColorAt(0.8, c.accent);
    line.setColorAt(1, Qt::transparent);
    p.fillRect(QRect(0, 30, width, 1), line);

    // Ticker strip with its tag.
    const QRectF strip(player.l, tickerY, list.r - player.l + 1, 26);
    p.setPen(QPen(c.cardBorder, 1));
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(strip.adjusted(0.5, 0.5, -0.5, -0.5), 13, 13);
    const QRectF tag(strip.left() + 3, strip.top() + 3, 76, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(c.accent);
    p.drawRoundedRect(tag, 10, 10);
    p.setPen(c.text);
    p.setFont(font(10, true));
    p.drawText(tag, Qt::AlignCenter, QStringLiteral("INFOS"));

    // Ad band, player and list frames.
    card(p, pub, 2, c, 6);
    card(p, player, 3, c);
    card(p, list, 3, c);

    // Under the section buttons, a soft rail.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 8));
    p.drawRoundedRect(QRectF(player.l - 4, buttonRowY - 4, list.r - player.l + 9, 33), 16, 16);

    // Bottom bar: a raised strip for the playback row.
    const int barTop = player.b + 7;
    QLinearGradient bottom(0, barTop, 0, height);
    bottom.setColorAt(0, QColor(255, 255, 255, 10));
    bottom.setColorAt(1, QColor(0, 0, 0, 40));
    p.setBrush(bottom);
    p.drawRoundedRect(QRectF(player.l - 4, barTop, list.r - player.l + 9, 61), 10, 10);
    p.end();
    save(img, QStringLiteral("%1/fond.jpg").arg(dir));
}

// ---- flags, 16 x 16 ---------------------------------------------------------

void stripesH(QPainter& p, const QList<QColor>& cols, const QRect& r = QRect(0, 2, 16, 12))
{
    const int n = cols.size();
    for (int i = 0; i < n; ++i) {
        const int y0 = r.top() + r.height() * i / n;
        const int y1 = r.top() + r.height() * (i + 1) / n;
        p.fillRect(QRect(r.left(), y0, r.width(), y1 - y0), cols[i]);
    }
}

void stripesV(QPainter& p, const QList<QColor>& cols, const QRect& r = QRect(0, 2, 16, 12))
{
    const int n = cols.size();
    for (int i = 0; i < n; ++i) {
        const int x0 = r.left() + r.width() * i / n;
        const int x1 = r.left() + r.width() * (i + 1) / n;
        p.fillRect(QRect(x0, r.top(), x1 - x0, r.height()), cols[i]);
    }
}

void nordic(QPainter& p, QColor field, QColor cross, QColor inner = QColor())
{
    p.fillRect(QRect(0, 2, 16, 12), field);
    p.fillRect(QRect(4, 2, 4, 12), cross);
    p.fillRect(QRect(0, 6, 16, 4), cross);
    if (inner.isValid()) {
        p.fillRect(QRect(5, 2, 2, 12), inner);
        p.fillRect(QRect(0, 7, 16, 2), inner);
    }
}

void star(QPainter& p, QPointF c, qreal outer, QColor col, qreal rot = -M_PI / 2)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? outer : outer * 0.42;
        const qreal a = rot + M_PI * i / 5;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(path);
}

void unionJack(QPainter& p, const QRect& r)
{
    const QColor blue(0x01, 0x21, 0x69), red(0xC8, 0x10, 0x2E);
    p.fillRect(r, blue);
    p.save();
    p.setClipRect(r);
    p.setPen(QPen(Qt::white, r.height() / 4.0));
    p.drawLine(r.topLeft(), r.bottomRight() + QPoint(1, 1));
    p.drawLine(r.bottomLeft() + QPoint(0, 1), r.topRight() + QPoint(1, 0));
    p.setPen(QPen(red, r.height() / 10.0));
    p.drawLine(r.topLeft(), r.bottomRight() + QPoint(1, 1));
    p.drawLine(r.bottomLeft() + QPoint(0, 1), r.topRight() + QPoint(1, 0));
    const int cw = qMax(2, r.height() / 3), rw = qMax(1, r.height() / 5);
    p.fillRect(QRect(r.center().x() - cw / 2, r.top(), cw, r.height()), Qt::white);
    p.fillRect(QRect(r.left(), r.center().y() - cw / 2, r.width(), cw), Qt::white);
    p.fillRect(QRect(r.center().x() - rw / 2, r.top(), rw, r.height()), red);
    p.fillRect(QRect(r.left(), r.center().y() - rw / 2, r.width(), rw), red);
    p.restore();
}

void flag(const QString& code, const std::function<void(QPainter&)>& draw)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    draw(p);
    // A fine dark rim so light flags stand out on a black list.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 0, 70));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 2, 15, 11));
    p.end();
    save(img, QStringLiteral("icons/flag_%1.png").arg(code));
}

void flags()
{
    const QColor red(0xD5, 0x2B, 0x1E), white(Qt::white), blue(0x00, 0x38, 0xA8), green(0x00, 0x8C, 0x45),
        yellow(0xFF, 0xCE, 0x00), black(Qt::black), orange(0xFF, 0x88, 0x3E);
    const auto aa = [](QPainter& p) { p.setRenderHint(QPainter::Antialiasing); };
    flag("za", [&](QPainter& p) {
        stripesH(p, {QColor(0xE0, 0x3C, 0x31), QColor(0x00, 0x23, 0x95)});
        aa(p);
        QPainterPath y;
        y.moveTo(0, 2);
        y.lineTo(7, 8);
        y.lineTo(0, 14);
        p.setPen(QPen(white, 5));
        p.drawPath(y);
        p.drawLine(QPointF(7, 8), QPointF(16, 8));
        p.setPen(QPen(QColor(0x00, 0x77, 0x49), 3));
        p.drawPath(y);
        p.drawLine(QPointF(7, 8), QPointF(16, 8));
        QPainterPath t;
        t.moveTo(0, 4.5);
        t.lineTo(4.2, 8);
        t.lineTo(0, 11.5);
        t.closeSubpath();
        p.setPen(QPen(QColor(0xFF, 0xB6, 0x12), 1));
        p.setBrush(black);
        p.drawPath(t);
    });
    flag("de", [&](QPainter& p) { stripesH(p, {black, QColor(0xDD, 0x00, 0x00), yellow}); });
    flag("uk", [&](QPainter& p) { unionJack(p, QRect(0, 2, 16, 12)); });
    flag("ar", [&](QPainter& p) {
        const QColor sky(0x74, 0xAC, 0xDF);
        stripesH(p, {sky, white, sky});
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF6, 0xB4, 0x0E));
        p.drawEllipse(QPointF(8, 8), 1.6, 1.6);
    });
    flag("au", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0x01, 0x21, 0x69));
        unionJack(p, QRect(0, 2, 8, 6));
        aa(p);
        star(p, {4, 11.5}, 1.8, white);
        star(p, {12, 5}, 1.2, white);
        star(p, {13.5, 9.5}, 1.2, white);
        star(p, {11, 12}, 1.2, white);
    });
    flag("at", [&](QPainter& p) {
        stripesH(p, {QColor(0xED, 0x29, 0x39), white, QColor(0xED, 0x29, 0x39)});
    });
    flag("be", [&](QPainter& p) {
        stripesV(p, {black, QColor(0xFD, 0xDA, 0x24), QColor(0xEF, 0x33, 0x40)});
    });
    flag("br", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0x00, 0x9C, 0x3B));
        aa(p);
        QPainterPath d;
        d.moveTo(8, 3);
        d.lineTo(15, 8);
        d.lineTo(8, 13);
        d.lineTo(1, 8);
        d.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xDF, 0x00));
        p.drawPath(d);
        p.setBrush(QColor(0x00, 0x27, 0x76));
        p.drawEllipse(QPointF(8, 8), 2.8, 2.8);
    });
    flag("ca", [&](QPainter& p) {
        stripesV(p, {red, white, white, red});
        aa(p);
        star(p, {8, 8.2}, 3.2, red);
    });
    flag("cn", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xDE, 0x29, 0x10));
        aa(p);
        star(p, {4, 6}, 2.6, QColor(0xFF, 0xDE, 0x00));
        star(p, {7.5, 3.8}, 0.9, QColor(0xFF, 0xDE, 0x00));
        star(p, {8.8, 5.6}, 0.9, QColor(0xFF, 0xDE, 0x00));
        star(p, {8.8, 7.8}, 0.9, QColor(0xFF, 0xDE, 0x00));
        star(p, {7.5, 9.4}, 0.9, QColor(0xFF, 0xDE, 0x00));
    });
    flag("es", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xAA, 0x15, 0x1B));
        p.fillRect(QRect(0, 5, 16, 6), QColor(0xF1, 0xBF, 0x00));
    });
    flag("fi", [&](QPainter& p) { nordic(p, white, QColor(0x00, 0x2F, 0x6C)); });
    flag("fr", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x23, 0x95), white, QColor(0xED, 0x29, 0x39)});
    });
    flag("gr", [&](QPainter& p) {
        const QColor gb(0x0D, 0x5E, 0xAF);
        for (int i = 0; i < 9; ++i) {
            const int y0 = 2 + 12 * i / 9, y1 = 2 + 12 * (i + 1) / 9;
            p.fillRect(QRect(0, y0, 16, y1 - y0), i % 2 ? white : gb);
        }
        p.fillRect(QRect(0, 2, 7, 7), gb);
        p.fillRect(QRect(3, 2, 1, 7), white);
        p.fillRect(QRect(0, 5, 7, 1), white);
    });
    flag("nl", [&](QPainter& p) {
        stripesH(p, {QColor(0xAE, 0x1C, 0x28), white, QColor(0x21, 0x46, 0x8B)});
    });
    flag("hu", [&](QPainter& p) {
        stripesH(p, {QColor(0xCE, 0x29, 0x39), white, QColor(0x47, 0x70, 0x50)});
    });
    flag("in", [&](QPainter& p) {
        stripesH(p, {QColor(0xFF, 0x99, 0x33), white, QColor(0x13, 0x88, 0x08)});
        aa(p);
        p.setPen(QPen(QColor(0x00, 0x00, 0x80), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 1.7, 1.7);
    });
    flag("ie", [&](QPainter& p) { stripesV(p, {QColor(0x16, 0x9B, 0x62), white, orange}); });
    flag("il", [&](QPainter& p) {
        const QColor ib(0x00, 0x38, 0xB8);
        p.fillRect(QRect(0, 2, 16, 12), white);
        p.fillRect(QRect(0, 3, 16, 2), ib);
        p.fillRect(QRect(0, 11, 16, 2), ib);
        aa(p);
        p.setPen(QPen(ib, 0.9));
        p.setBrush(Qt::NoBrush);
        QPolygonF up, down;
        for (int i = 0; i < 3; ++i) {
            const qreal a = -M_PI / 2 + 2 * M_PI * i / 3;
            up << QPointF(8 + 2.6 * std::cos(a), 8 + 2.6 * std::sin(a));
            down << QPointF(8 - 2.6 * std::cos(a), 8 - 2.6 * std::sin(a));
        }
        p.drawPolygon(up);
        p.drawPolygon(down);
    });
    flag("it", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x92, 0x46), white, QColor(0xCE, 0x2B, 0x37)});
    });
    flag("jp", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), white);
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xBC, 0x00, 0x2D));
        p.drawEllipse(QPointF(8, 8), 3.4, 3.4);
    });
    flag("mx", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x68, 0x47), white, QColor(0xCE, 0x11, 0x26)});
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x8C, 0x5A, 0x2B));
        p.drawEllipse(QPointF(8, 8), 1.6, 1.6);
    });
    flag("no", [&](QPainter& p) { nordic(p, QColor(0xBA, 0x0C, 0x2F), white, QColor(0x00, 0x20, 0x5B)); });
    flag("nz", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0x01, 0x21, 0x69));
        unionJack(p, QRect(0, 2, 8, 6));
        aa(p);
        for (QPointF s : {QPointF(12, 5), QPointF(14, 8), QPointF(10.5, 9), QPointF(12, 12)}) {
            star(p, s, 1.5, white);
            star(p, s, 1.0, QColor(0xC8, 0x10, 0x2E));
        }
    });
    flag("pl", [&](QPainter& p) { stripesH(p, {white, QColor(0xDC, 0x14, 0x3C)}); });
    flag("pt", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xFF, 0x00, 0x00));
        p.fillRect(QRect(0, 2, 6, 12), QColor(0x00, 0x66, 0x00));
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xCC, 0x00));
        p.drawEllipse(QPointF(6, 8), 2.3, 2.3);
    });
    flag("cz", [&](QPainter& p) {
        stripesH(p, {white, QColor(0xD7, 0x14, 0x1A)});
        aa(p);
        QPainterPath t;
        t.moveTo(0, 2);
        t.lineTo(7.5, 8);
        t.lineTo(0, 14);
        t.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x11, 0x45, 0x7E));
        p.drawPath(t);
    });
    flag("ro", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x2B, 0x7F), QColor(0xFC, 0xD1, 0x16), QColor(0xCE, 0x11, 0x26)});
    });
    flag("sk", [&](QPainter& p) {
        stripesH(p, {white, QColor(0x0B, 0x4E, 0xA2), QColor(0xEE, 0x1C, 0x25)});
        aa(p);
        QPainterPath s;
        s.moveTo(3, 5);
        s.lineTo(8, 5);
        s.lineTo(8, 9);
        s.quadTo(8, 11.5, 5.5, 12.5);
        s.quadTo(3, 11.5, 3, 9);
        s.closeSubpath();
        p.setPen(QPen(white, 0.8));
        p.setBrush(QColor(0xEE, 0x1C, 0x25));
        p.drawPath(s);
        p.fillRect(QRectF(5, 6, 1, 4.5), white);
        p.fillRect(QRectF(4, 7, 3, 0.9), white);
    });
    flag("se", [&](QPainter& p) { nordic(p, QColor(0x00, 0x6A, 0xA7), QColor(0xFE, 0xCC, 0x00)); });
    flag("ch", [&](QPainter& p) {
        p.fillRect(QRect(2, 1, 12, 14), QColor(0xDA, 0x29, 0x1C));
        p.fillRect(QRect(7, 4, 2, 8), white);
        p.fillRect(QRect(4, 7, 8, 2), white);
    });
    flag("tr", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xE3, 0x0A, 0x17));
        aa(p);
        QPainterPath moon;
        moon.addEllipse(QPointF(6, 8), 3.6, 3.6);
        QPainterPath bite;
        bite.addEllipse(QPointF(7, 8), 2.9, 2.9);
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawPath(moon.subtracted(bite));
        star(p, {10.8, 8}, 1.6, white, M_PI);
    });
    flag("us", [&](QPainter& p) {
        const QColor ur(0xB2, 0x22, 0x34);
        for (int i = 0; i < 7; ++i) {
            const int y0 = 2 + 12 * i / 7, y1 = 2 + 12 * (i + 1) / 7;
            p.fillRect(QRect(0, y0, 16, y1 - y0), i % 2 ? white : ur);
        }
        p.fillRect(QRect(0, 2, 7, 7), QColor(0x3C, 0x3B, 0x6E));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                p.fillRect(QRect(1 + 2 * x, 3 + 2 * y, 1, 1), white);
    });

    // The "new" badge of the clip list.
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath burst;
    for (int i = 0; i < 24; ++i) {
        const qreal r = (i % 2 == 0) ? 7.8 : 6.2;
        const qreal a = M_PI * i / 12;
        const QPointF pt(8 + r * std::cos(a), 8 + r * std::sin(a));
        if (i == 0)
            burst.moveTo(pt);
        else
            burst.lineTo(pt);
    }
    burst.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0x4D, 0x2E));
    p.drawPath(burst);
    p.setPen(Qt::white);
    QFont f = font(6, true);
    f.setStretch(QFont::Condensed);
    p.setFont(f);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("NEW"));
    p.end();
    save(img, QStringLiteral("icons/badge_new.png"));
}

// One complete look. The geometry is the theme's: panel rectangles derived from
// its markers, the button row and the ticker strip.
struct Look {
    int number;
    int width;
    Palette colours;
    Rect player, list, pub;
    int buttonRowY, tickerY;
};

Rect fromMarkers(int hgL, int hgT, int bdL, int bdT)
{
    return {hgL, hgT, bdL + 17 - 1, bdT + 17 - 1};
}

void theme(const Look& look)
{
    const QString dir = QStringLiteral("theme%1").arg(look.number);
    const Palette& c = look.colours;
    background(c, dir, look.width, 600, look.player, look.list, look.pub, look.buttonRowY, look.tickerY);
    logo(c, dir);
    sectionButton(c, dir);
    titleButtons(c, dir);
    sliderPictures(c, dir);
    squareButton(dir + QStringLiteral("/lecture"), QStringLiteral("Lecture"), glyphPlay, true, c);
    squareButton(dir + QStringLiteral("/pause"), QStringLiteral("Pause"), glyphPause, true, c);
    squareButton(dir + QStringLiteral("/muet"), QStringLiteral("Muet"), glyphMute, true, c);
    squareButton(dir + QStringLiteral("/pleinecran"), QStringLiteral("P. écran"), glyphFullScreen, true, c);
    squareButton(dir + QStringLiteral("/contact"), QStringLiteral("Mail"), glyphMail, false, c);
    squareButton(dir + QStringLiteral("/config"), QStringLiteral("Config."), glyphGear, false, c);
}

Palette dark(QColor accent)
{
    Palette c;
    c.bgTop = QColor(0x17, 0x1C, 0x27);
    c.bgBottom = QColor(0x0B, 0x0E, 0x14);
    c.card = QColor(0x0F, 0x13, 0x1B);
    c.cardBorder = QColor(0x2C, 0x34, 0x44);
    c.button = QColor(0x1C, 0x22, 0x2E);
    c.buttonHi = QColor(0x2A, 0x32, 0x42);
    c.border = QColor(0x38, 0x42, 0x55);
    c.accent = accent;
    c.accentDark = accent.darker(160);
    c.text = QColor(0xF2, 0xF5, 0xFA);
    c.muted = QColor(0x5A, 0x63, 0x74);
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        qFatal("usage: themegen OUTPUT_DIR");
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);

    flags();
    // Theme 2 is the program's own dark look; the others wear it in their
    // own accent colour until they get pictures of their own.
    for (const zv::themes::Look& l : zv::themes::Looks) {
        const auto m = l.markers;
        theme({l.number, l.width, dark(QColor::fromRgb(l.accent)),
            fromMarkers(m[0].left, m[0].top, m[1].left, m[1].top),
            fromMarkers(m[2].left, m[2].top, m[3].left, m[3].top),
            fromMarkers(m[4].left, m[4].top, m[5].left, m[5].top), l.buttonRowY, l.tickerY});
    }

    QFile qrc(outDir + QStringLiteral("/themes.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the resource list");
    QTextStream out(&qrc);
    out << "<RCC>\n  <qresource prefix=\"/themes\">\n";
    for (const QString& name : written)
        out << "    <file>" << name << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    return 0;
}
