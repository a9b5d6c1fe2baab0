#include "designs.h"

namespace gen {

QRectF rectOf(const Box& b)
{
    return QRectF(b.left, b.top, b.width, b.height);
}

Designer::Designer(const Look& look)
    : look_(look)
    , lay_(zv::themes::LayoutOf(look))
    , ink_(look.ink)
    , dir_(QStringLiteral("theme%1/").arg(look.number))
{
}

QFont Designer::squareFont() const
{
    return font(look_.type.family, 9, false);
}

void Designer::squareButtons(
    const QString& base, const QString& text, Glyph normal, Glyph down, bool inactive)
{
    QList<State> states = {State::Actif, State::Survol, State::Enfonce, State::EnfonceSurvol};
    if (inactive)
        states << State::Inactif;
    for (State s : states) {
        picture(dir_ + QStringLiteral("%1_%2.png").arg(base, QLatin1String(stateName(s))), QSize(51, 51),
            [&](QPainter& p) {
                const QRectF r(0, 0, 51, 51);
                squareButton(p, r, s);
                const QColor ink = squareInk(s);
                glyph(p, pressed(s) ? down : normal, QRectF(13, 7, 25, 25), ink, glyphWeight());
                label(p, QRectF(0, 33, 51, 14), text, squareFont(), ink);
            });
    }
}

void Designer::drawAll()
{
    photo(dir_ + QStringLiteral("fond.jpg"), QSize(look_.width, zv::themes::Height),
        [&](QPainter& p) { background(p); });
    const Box logoBox = lay_.logo;
    picture(dir_ + QStringLiteral("logo.png"), QSize(logoBox.width, logoBox.height),
        [&](QPainter& p) { logo(p, QRectF(0, 0, logoBox.width, logoBox.height)); });

    for (State s : {State::Actif, State::Survol, State::Enfonce, State::EnfonceSurvol}) {
        picture(dir_ + QStringLiteral("btnfct_%1.png").arg(QLatin1String(stateName(s))), QSize(81, 25),
            [&](QPainter& p) { sectionButton(p, QRectF(0, 0, 81, 25), s); });
    }
    for (State s : {State::Actif, State::Survol, State::Enfonce}) {
        for (bool close : {false, true}) {
            picture(dir_
                    + QStringLiteral("%1_%2.png")
                          .arg(
                              QLatin1String(close ? "btnferme" : "btnminimise"), QLatin1String(stateName(s))),
                QSize(23, 21), [&](QPainter& p) { windowButton(p, QRectF(0, 0, 23, 21), s, close); });
        }
    }

    squareButtons(QStringLiteral("lecture"), QStringLiteral("Lecture"), Glyph::Play, Glyph::Stop, true);
    squareButtons(QStringLiteral("pause"), QStringLiteral("Pause"), Glyph::Pause, Glyph::Pause, true);
    squareButtons(QStringLiteral("muet"), QStringLiteral("Muet"), Glyph::Sound, Glyph::Mute, true);
    squareButtons(
        QStringLiteral("pleinecran"), QStringLiteral("P. écran"), Glyph::FullScreen, Glyph::FullScreen, true);
    squareButtons(QStringLiteral("contact"), QStringLiteral("Mail"), Glyph::Mail, Glyph::Mail, false);
    squareButtons(QStringLiteral("config"), QStringLiteral("Config."), Glyph::Gear, Glyph::Gear, false);

    // The tracks are stretched by the slider to its length.
    for (int h : {4, 21}) {
        picture(dir_ + QStringLiteral("glissiere%1.png").arg(h), QSize(81, h),
            [&](QPainter& p) { track(p, QRectF(0, 0, 81, h)); });
    }
    for (State s : {State::Actif, State::Survol, State::Inactif}) {
        picture(dir_ + QStringLiteral("curseur_%1.png").arg(QLatin1String(stateName(s))), QSize(11, 21),
            [&](QPainter& p) { knob(p, QRectF(0, 0, 11, 21), s); });
    }

    // The empty player shows the logo, faint.
    picture(dir_ + QStringLiteral("filigrane.png"), QSize(logoBox.width, logoBox.height), [&](QPainter& p) {
        p.setOpacity(0.18);
        logo(p, QRectF(0, 0, logoBox.width, logoBox.height));
    });

    // The game window's title buttons, at the theme's size.
    const QSize gameSize(look_.game.buttonWidth, look_.game.buttonHeight);
    const struct {
        const char* name;
        Glyph glyph;
    } gameButtons[]
        = {{"fermer", Glyph::Close}, {"agrandir", Glyph::Maximise}, {"restaurer", Glyph::Restore}};
    for (const auto& b : gameButtons) {
        for (State s : {State::Actif, State::Survol, State::Enfonce}) {
            picture(dir_
                    + QStringLiteral("jeu_%1_%2.png").arg(QLatin1String(b.name), QLatin1String(stateName(s))),
                gameSize,
                [&](QPainter& p) { gameButton(p, QRectF(QPointF(0, 0), QSizeF(gameSize)), b.glyph, s); });
        }
    }

    // The sponsor window: its background and its quit button (the section
    // buttons' family, stretched to 150 x 28).
    picture(dir_ + QStringLiteral("sponsor_fond.png"), QSize(483, 218),
        [&](QPainter& p) { sponsorBackground(p, QRectF(0, 0, 483, 218)); });
    for (State s : {State::Actif, State::Survol, State::Enfonce}) {
        picture(dir_ + QStringLiteral("sponsor_quitter_%1.png").arg(QLatin1String(stateName(s))),
            QSize(150, 28), [&](QPainter& p) { sectionButton(p, QRectF(0, 0, 150, 28), s); });
    }
    extras();
}

void softShadow(QPainter& p, const QPainterPath& shape, int spread, int strength, QPointF offset)
{
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = spread; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, strength / spread));
        QPainterPathStroker stroker;
        stroker.setWidth(2 * i);
        stroker.setJoinStyle(Qt::RoundJoin);
        p.drawPath((stroker.createStroke(shape) + shape).translated(offset));
    }
    p.restore();
}

std::unique_ptr<Designer> designerFor(const Look& look)
{
    switch (look.number) {
    case 1: return makeTagada(look);
    case 3: return makeMac(look);
    case 4: return makeChlorophylle(look);
    case 5: return makeMoon(look);
    default: return makeBasic(look);
    }
}

} // namespace gen
