#include "ui/player/cadcurseur.h"

#include "portal/errors.h"

#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cfenv>
#include <cmath>

TfrmCurseur::TfrmCurseur(QWidget* parent)
    : QWidget(parent)
{
    resize(248, 27);

    btnGlissiere = new TBtnGraph(this);
    btnGlissiere->setObjectName(QStringLiteral("btnGlissiere"));
    btnGlissiere->setGeometry(0, 7, 89, 9);
    btnGlissiere->setCaption(QStringLiteral("Son"));

    btnCurseur = new TBtnGraph(this); // created last, so it lies over the track
    btnCurseur->setObjectName(QStringLiteral("btnCurseur"));
    btnCurseur->setGeometry(44, 4, 20, 20);
    btnCurseur->setCursor(Qt::PointingHandCursor);
    btnCurseur->setCaption(QStringLiteral("C"));

    connect(btnCurseur, &TBtnGraph::MouseDown, this, &TfrmCurseur::btnCurseurMouseDown);
    connect(btnCurseur, &TBtnGraph::MouseMove, this, &TfrmCurseur::btnCurseurMouseMove);
    connect(btnCurseur, &TBtnGraph::MouseUp, this, &TfrmCurseur::btnCurseurMouseUp);

    SetActif(true);
}

int TfrmCurseur::maxKnobLeft() const
{
    return std::max(0, width() - btnCurseur->width());
}

double TfrmCurseur::GetFraction() const
{
    const int range = maxKnobLeft();
    if (range <= 0)
        return 0.0;
    return double(btnCurseur->x()) / double(range);
}

void TfrmCurseur::SetFraction(double x)
{
    const int range = maxKnobLeft();
    double left = double(range) * x;
    if (std::isnan(left))
        left = 0;
    left = std::clamp(left, 0.0, double(range));
    // Halves go to the even neighbour, as the program always rounded.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const int knobLeft = int(std::nearbyint(left));
    std::fesetround(saved);
    btnCurseur->move(std::clamp(knobLeft, 0, range), btnCurseur->y());
}

void TfrmCurseur::SetActif(bool value)
{
    btnGlissiere->setActif(value);
    btnCurseur->setActif(value);
    actif_ = value;
}

void TfrmCurseur::SetupVolume()
{
    resize(81, 25);
    trackFollowsWidth_ = false;
    btnGlissiere->setEtirement(true);
    btnGlissiere->setGeometry(0, (25 - 4) / 2, 81, 4);
    btnCurseur->setRedimensionnement(true);
    btnCurseur->setGeometry(std::clamp(btnCurseur->x(), 0, 81 - 11), (25 - 21) / 2, 11, 21);
}

void TfrmCurseur::SetupPosition(int width)
{
    resize(width, 21);
    trackFollowsWidth_ = true;
    btnGlissiere->setCaption(QStringLiteral("Glissière"));
    btnGlissiere->setEtirement(true);
    btnGlissiere->setGeometry(0, 0, width, 21);
    btnCurseur->setCaption(QStringLiteral("Curseur"));
    btnCurseur->move(0, 0);
}

void TfrmCurseur::changed()
{
    // The receiver may delete the slider (its window closes).
    QPointer<TfrmCurseur> self(this);
    if (OnChange) {
        const auto handler = OnChange; // survives the slider
        handler(this);
    }
    if (self)
        emit Change(this);
}

void TfrmCurseur::btnCurseurMouseDown(QMouseEvent* event)
{
    zv::guarded([&] {
        // The left button alone: no other button, no modifier key, and not the
        // second press of a double-click.
        if (event->type() != QEvent::MouseButtonPress || event->button() != Qt::LeftButton
            || event->buttons() != Qt::LeftButton
            || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return;
        if (!btnCurseur->Actif())
            return;
        dragging_ = true;
        const QPoint p = event->position().toPoint();
        grabX_ = p.x();
        grabY_ = p.y();
    });
}

void TfrmCurseur::btnCurseurMouseMove(QMouseEvent* event)
{
    zv::guarded([&] {
        if (!dragging_)
            return;
        const int mouseX = event->position().toPoint().x();
        const int left = std::clamp(btnCurseur->x() + (mouseX - grabX_), 0, maxKnobLeft());
        btnCurseur->move(left, btnCurseur->y());
        changed();
    });
}

void TfrmCurseur::btnCurseurMouseUp(QMouseEvent*)
{
    zv::guarded([&] {
        if (!dragging_)
            return;
        dragging_ = false;
        changed();
    });
}

void TfrmCurseur::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (trackFollowsWidth_)
        btnGlissiere->resize(width(), btnGlissiere->height());
    // A narrower frame must not leave the knob past its end.
    if (btnCurseur->x() > maxKnobLeft())
        btnCurseur->move(maxKnobLeft(), btnCurseur->y());
}

void TfrmCurseur::changeEvent(QEvent* event)
{
    // Disabled or hidden in the middle of a drag, the release never comes:
    // drop the drag rather than stay busy for ever.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        dragging_ = false;
    QWidget::changeEvent(event);
}

void TfrmCurseur::hideEvent(QHideEvent* event)
{
    dragging_ = false;
    QWidget::hideEvent(event);
}
