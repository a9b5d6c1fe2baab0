#include "ui/player/cadcurseur.h"

#include "base/errors.h"
#include "ui/controls/focusmark.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cfenv>
#include <cmath>

namespace {

// A slider with a value in percent. Its track and knob are parts of it, not
// controls of their own.
class CurseurAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CurseurAccessible(TfrmCurseur* f)
        : QAccessibleWidget(f, QAccessible::Slider)
    {
    }

    TfrmCurseur* slider() const { return static_cast<TfrmCurseur*>(object()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        const TfrmCurseur* f = slider();
        switch (t) {
        case QAccessible::Name:
            return f->accessibleName().isEmpty() ? QStringLiteral("Curseur") : f->accessibleName();
        // AT-SPI has no text for a value: the description carries it.
        case QAccessible::Value:
        case QAccessible::Description: return f->valueText();
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (!slider()->btnCurseur->Actif())
            s.disabled = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == increaseAction())
            slider()->moveKnobBy(TfrmCurseur::ArrowStep);
        else if (action == decreaseAction())
            slider()->moveKnobBy(-TfrmCurseur::ArrowStep);
        else
            QAccessibleWidget::doAction(action);
    }

    QVariant currentValue() const override { return std::round(slider()->GetFraction() * 1000) / 10; }
    void setCurrentValue(const QVariant& value) override { slider()->moveKnobTo(value.toDouble() / 100); }
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 1.0; }
};

QAccessibleInterface* curseurFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("TfrmCurseur")) {
        if (auto* f = qobject_cast<TfrmCurseur*>(object))
            return new CurseurAccessible(f);
    }
    return nullptr;
}

} // namespace

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

    // One control for the keyboard: its parts take no focus of their own.
    setFocusPolicy(Qt::TabFocus);
    btnGlissiere->setFocusPolicy(Qt::NoFocus);
    btnCurseur->setFocusPolicy(Qt::NoFocus);
    mark_ = new zv::FocusMarkOverlay(this);
    static const bool accessible = [] {
        QAccessible::installFactory(curseurFactory);
        return true;
    }();
    Q_UNUSED(accessible);

    SetActif(true);
}

QString TfrmCurseur::valueText() const
{
    const double fraction = GetFraction();
    if (ValueText)
        return ValueText(fraction);
    return QStringLiteral("%1 %").arg(qRound(fraction * 100));
}

void TfrmCurseur::setFocusMark(const zv::FocusMark& mark)
{
    mark_->setMark(mark);
}

void TfrmCurseur::tellValue(bool moved)
{
    if (!QAccessible::isActive())
        return;
    const QString text = valueText();
    if (moved) {
        QAccessibleValueChangeEvent event(this, std::round(GetFraction() * 1000) / 10);
        QAccessible::updateAccessibility(&event);
    }
    if (text != toldText_) {
        toldText_ = text;
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TfrmCurseur::moveKnobTo(double fraction)
{
    zv::guarded([&] {
        if (!btnCurseur->Actif() || dragging_)
            return;
        const int from = btnCurseur->x();
        SetFraction(fraction);
        if (btnCurseur->x() == from)
            return;
        // A drag of one move and its release: the owner hears both.
        QPointer<TfrmCurseur> self(this);
        dragging_ = true;
        changed();
        if (!self)
            return;
        dragging_ = false;
        changed();
        if (self)
            tellValue(true);
    });
}

void TfrmCurseur::moveKnobBy(double delta)
{
    const int range = maxKnobLeft();
    if (range <= 0)
        return;
    // At least a pixel, so that a step on a short track still moves.
    const int from = btnCurseur->x();
    int to = int(std::lround(double(from) + delta * range));
    if (to == from)
        to += delta > 0 ? 1 : -1;
    moveKnobTo(double(std::clamp(to, 0, range)) / range);
}

void TfrmCurseur::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: moveKnobBy(-ArrowStep); break;
    case Qt::Key_Right:
    case Qt::Key_Up: moveKnobBy(ArrowStep); break;
    case Qt::Key_PageDown: moveKnobBy(-PageStep); break;
    case Qt::Key_PageUp: moveKnobBy(PageStep); break;
    case Qt::Key_Home: moveKnobTo(0); break;
    case Qt::Key_End: moveKnobTo(1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void TfrmCurseur::focusInEvent(QFocusEvent* event)
{
    // What the status loop moved while the slider was out of focus.
    tellValue(false);
    QWidget::focusInEvent(event);
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
    // The player moves the position slider all the time: assistive technology
    // is told only while it does not have the focus, so it does not speak
    // over the media, and reads the value afresh when it is asked.
    if (!hasFocus())
        tellValue(false);
}

void TfrmCurseur::SetActif(bool value)
{
    const bool changedState = actif_ != value;
    btnGlissiere->setActif(value);
    btnCurseur->setActif(value);
    actif_ = value;
    if (changedState && QAccessible::isActive()) {
        QAccessible::State disabled;
        disabled.disabled = true;
        QAccessibleStateChangeEvent event(this, disabled);
        QAccessible::updateAccessibility(&event);
    }
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
        QPointer<TfrmCurseur> self(this);
        changed();
        if (self)
            tellValue(true);
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
