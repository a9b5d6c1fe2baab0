#include "ui/controls/btngraph.h"

#include "base/errors.h"
#include "ui/controls/accessibility.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TBtnGraph::TBtnGraph(QWidget* parent)
    : QWidget(parent)
{
    // A windowless control: whatever the picture does not cover shows the parent.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    resize(20, 20);
    // Tab reaches it; a click leaves the focus where it was, so a mouse user
    // never sees a focus mark on the skin.
    setFocusPolicy(Qt::TabFocus);
    zv::InstallControlsAccessibility();
}

void TBtnGraph::setActif(bool value)
{
    if (actif_ == value)
        return;
    actif_ = value;
    update();
    tellState(false, true);
    emit EtatChange();
}

void TBtnGraph::setEnfonce(bool value)
{
    if (enfonce_ == value)
        return;
    enfonce_ = value;
    update();
    tellState(true, false);
    emit EtatChange();
}

void TBtnGraph::setToggle(bool value)
{
    if (toggle_ == value)
        return;
    toggle_ = value;
    tellState(true, false);
}

QString TBtnGraph::spokenName() const
{
    QString name = caption_.trimmed();
    if (name.isEmpty())
        name = toolTip().trimmed();
    return name;
}

void TBtnGraph::tellState(bool pressed, bool disabled)
{
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    if (pressed) {
        changed.pressed = true;
        changed.checked = true;
        changed.checkable = true;
    }
    changed.disabled = disabled;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void TBtnGraph::tellName()
{
    if (!QAccessible::isActive() || !accessibleName().isEmpty())
        return;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void TBtnGraph::setHint(const QString& text)
{
    if (toolTip() == text)
        return;
    setToolTip(text);
    tellName();
}

void TBtnGraph::setFocusMark(const zv::FocusMark& mark)
{
    focusMark_ = mark;
    if (hasFocus())
        update();
}

void TBtnGraph::click()
{
    zv::guarded([&] { emit clicked(); });
}

void TBtnGraph::setEtirement(bool value)
{
    etirement_ = value;
    update();
}

void TBtnGraph::setRedimensionnement(bool value)
{
    redimensionnement_ = value;
    applyResize();
    update();
}

void TBtnGraph::applyResize()
{
    const QPixmap& actif = pictures_[int(Picture::Actif)];
    if (redimensionnement_ && !actif.isNull())
        resize(actif.deviceIndependentSize().toSize());
}

const QPixmap& TBtnGraph::picture(Picture which) const
{
    static const QPixmap none;
    if (which == Picture::None)
        return none;
    return pictures_[int(which)];
}

void TBtnGraph::setPicture(Picture which, const QPixmap& pixmap)
{
    if (which == Picture::None)
        return;
    // A deep copy: the caller's picture may change or go away afterwards.
    pictures_[int(which)] = pixmap.isNull() ? QPixmap() : pixmap.copy();
    if (which == Picture::Actif)
        applyResize();
    update();
}

bool TBtnGraph::loadPicture(Picture which, const QString& fileName)
{
    QPixmap p;
    const bool ok = p.load(fileName);
    setPicture(which, ok ? p : QPixmap());
    return ok;
}

bool TBtnGraph::loadPictureData(Picture which, const QByteArray& data)
{
    QPixmap p;
    const bool ok = p.loadFromData(data);
    setPicture(which, ok ? p : QPixmap());
    return ok;
}

void TBtnGraph::setCaption(const QString& text)
{
    if (caption_ == text)
        return;
    caption_ = text;
    update();
    tellName();
}

TBtnGraph::Picture TBtnGraph::chosenPicture() const
{
    auto has = [this](Picture p) { return !pictures_[int(p)].isNull(); };
    if (actif_ && enfonce_ && hovered_ && has(Picture::EnfonceSurvol))
        return Picture::EnfonceSurvol;
    if (actif_ && enfonce_ && has(Picture::Enfonce))
        return Picture::Enfonce;
    if (actif_ && hovered_ && has(Picture::Survol))
        return Picture::Survol;
    if (!actif_ && has(Picture::Inactif))
        return Picture::Inactif;
    if (has(Picture::Actif))
        return Picture::Actif;
    return Picture::None;
}

void TBtnGraph::paintEvent(QPaintEvent*)
{
    const Picture which = chosenPicture();
    if (which == Picture::None && caption_.isEmpty() && !zv::ShowsFocusMark(this))
        return;
    QPainter painter(this);
    painter.setClipRect(rect());
    if (which != Picture::None) {
        const QPixmap& p = pictures_[int(which)];
        if (etirement_) {
            painter.drawPixmap(rect(), p);
        } else {
            // Integer division truncates toward zero, so a picture larger than
            // the control is centred and clipped.
            const QSize s = p.deviceIndependentSize().toSize();
            painter.drawPixmap((width() - s.width()) / 2, (height() - s.height()) / 2, p);
        }
    }
    if (!caption_.isEmpty()) {
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBrush(Qt::NoBrush);
        painter.setBackgroundMode(Qt::TransparentMode);
        const QFontMetrics fm(font());
        const int x = (width() - fm.horizontalAdvance(caption_)) / 2;
        const int y = (height() - fm.height()) / 2;
        painter.drawText(x, y + fm.ascent(), caption_);
    }
    if (zv::ShowsFocusMark(this))
        zv::PaintFocusMark(painter, QRectF(rect()), focusMark_);
}

void TBtnGraph::setHovered(bool value)
{
    if (hovered_ == value)
        return;
    hovered_ = value;
    update();
    emit EtatChange();
}

void TBtnGraph::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    zv::guarded([&] { setHovered(true); });
}

void TBtnGraph::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    zv::guarded([&] { setHovered(false); });
}

void TBtnGraph::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        clickArmed_ = true;
    zv::guarded([&] { emit MouseDown(event); });
}

void TBtnGraph::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click raises the double-click, not a second
    // click on release.
    clickArmed_ = false;
    QPointer<TBtnGraph> self(this);
    if (event->button() == Qt::LeftButton)
        zv::guarded([&] { emit doubleClicked(); });
    if (self)
        zv::guarded([&] { emit MouseDown(event); });
}

void TBtnGraph::mouseMoveEvent(QMouseEvent* event)
{
    zv::guarded([&] { emit MouseMove(event); });
}

void TBtnGraph::mouseReleaseEvent(QMouseEvent* event)
{
    // The click comes before the mouse-up. Its handler may close the window
    // and delete this button.
    QPointer<TBtnGraph> self(this);
    if (event->button() == Qt::LeftButton && clickArmed_) {
        clickArmed_ = false;
        if (rect().contains(event->position().toPoint()))
            zv::guarded([&] { emit clicked(); });
    }
    if (self)
        zv::guarded([&] { emit MouseUp(event); });
}

void TBtnGraph::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TBtnGraph::keyPressEvent(QKeyEvent* event)
{
    const bool press
        = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!press || (event->modifiers() & ~Qt::KeypadModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A key held down presses once.
    if (!event->isAutoRepeat())
        click();
    event->accept();
}

void TBtnGraph::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void TBtnGraph::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}
