#include "ui/controls/accessibility.h"

#include "base/errors.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <functional>

namespace zv {

namespace {

const char* const kAnnounced = "zvAnnounced";
const char* const kClickable = "zvClickable";
const char* const kOpensMenu = "zvOpensMenu";

// The name an owner gives wins over the one the control finds itself.
QString ownName(const QWidget* w, const QString& found)
{
    return w->accessibleName().isEmpty() ? found : w->accessibleName();
}

// A control with a press action, reached by one key, besides the widget's own.
class PressableAccessible : public QAccessibleWidget {
public:
    PressableAccessible(QWidget* w, QAccessible::Role role, QString key)
        : QAccessibleWidget(w, role)
        , key_(std::move(key))
    {
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            press();
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        if (action == pressAction())
            return {key_};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

protected:
    virtual void press() = 0;

private:
    QString key_;
};

class BtnGraphAccessible : public PressableAccessible {
public:
    explicit BtnGraphAccessible(TBtnGraph* b)
        : PressableAccessible(b, QAccessible::Button, QStringLiteral("Space"))
    {
    }

    TBtnGraph* button() const { return static_cast<TBtnGraph*>(object()); }

    QAccessible::Role role() const override
    {
        return button()->isToggle() ? QAccessible::CheckBox : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override
    {
        const TBtnGraph* b = button();
        switch (t) {
        case QAccessible::Name: return ownName(b, b->spokenName());
        case QAccessible::Description: {
            // The hint says more than the name, unless it is the name.
            if (!b->accessibleDescription().isEmpty())
                return b->accessibleDescription();
            const QString hint = b->Hint().trimmed();
            return hint == text(QAccessible::Name) ? QString() : hint;
        }
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const TBtnGraph* b = button();
        if (b->isToggle()) {
            s.checkable = true;
            s.checked = b->Enfonce();
        } else {
            s.pressed = b->Enfonce();
        }
        // An inactive button is drawn greyed: say so, though a press still
        // reaches its owner.
        if (!b->Actif())
            s.disabled = true;
        if (b->property(kOpensMenu).toBool())
            s.hasPopup = true;
        return s;
    }

protected:
    void press() override { button()->click(); }
};

// A control read as its text: the ticker's whole text, wherever the scrolling
// has taken it; a status line, whose own name changes (sent by the label at
// each new text) are what assistive technology reads out.
class TextAccessible : public QAccessibleWidget {
public:
    TextAccessible(QWidget* w, QAccessible::Role role, std::function<QString()> shown)
        : QAccessibleWidget(w, role)
        , shown_(std::move(shown))
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return ownName(widget(), shown_().simplified());
        return QAccessibleWidget::text(t);
    }

private:
    std::function<QString()> shown_;
};

// The clicks, Enter and Space of a label made a link.
class LabelClicks : public QObject {
public:
    LabelClicks(QLabel* label, std::function<void()> onClick)
        : QObject(label)
        , onClick_(std::move(onClick))
    {
        setObjectName(QStringLiteral("zvLabelClicks"));
        label->installEventFilter(this);
    }

    void click() { zv::guarded(onClick_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* m = static_cast<QMouseEvent*>(event);
            if (m->button() == Qt::LeftButton
                && static_cast<QWidget*>(watched)->rect().contains(m->position().toPoint())) {
                click();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(event);
            const bool press
                = k->key() == Qt::Key_Space || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
            if (press && !(k->modifiers() & ~Qt::KeypadModifier)) {
                // A key held down follows the link once.
                if (!k->isAutoRepeat())
                    click();
                return true;
            }
        }
        return false;
    }

private:
    std::function<void()> onClick_;
};

class LinkAccessible : public PressableAccessible {
public:
    explicit LinkAccessible(QLabel* l)
        : PressableAccessible(l, QAccessible::Link, QStringLiteral("Return"))
    {
    }

    QLabel* label() const { return static_cast<QLabel*>(object()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return ownName(label(), label()->text().simplified());
        return QAccessibleWidget::text(t);
    }

protected:
    void press() override
    {
        if (auto* clicks = label()->findChild<LabelClicks*>(QString(), Qt::FindDirectChildrenOnly))
            clicks->click();
    }
};

// Names a control after a label. A label tells nobody of a new text, but it
// repaints: the name is looked at again then.
class NameFollower : public QObject {
public:
    NameFollower(QWidget* control, QLabel* label)
        : QObject(label)
        , control_(control)
    {
        label->installEventFilter(this);
        follow(label);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint || event->type() == QEvent::Show)
            follow(static_cast<QLabel*>(watched));
        return false;
    }

private:
    void follow(const QLabel* label)
    {
        QString name = label->text().simplified();
        if (name.endsWith(QLatin1Char(':')))
            name = name.chopped(1).trimmed();
        if (control_ && control_->accessibleName() != name)
            control_->setAccessibleName(name);
    }

    QPointer<QWidget> control_;
};

QAccessibleInterface* controlsFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("TBtnGraph")) {
        if (auto* b = qobject_cast<TBtnGraph*>(object))
            return new BtnGraphAccessible(b);
    } else if (key == QLatin1String("TScrollLabel")) {
        if (auto* l = qobject_cast<TScrollLabel*>(object))
            return new TextAccessible(l, QAccessible::StaticText, [l] { return l->Caption(); });
    } else if (key == QLatin1String("QLabel")) {
        auto* l = qobject_cast<QLabel*>(object);
        if (l && l->property(kAnnounced).toBool())
            return new TextAccessible(l, QAccessible::StatusBar, [l] { return l->text(); });
        if (l && l->property(kClickable).toBool())
            return new LinkAccessible(l);
    }
    return nullptr;
}

} // namespace

void InstallControlsAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlsFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

namespace {

// An interface already made for the plain label gives way to the new one.
void remakeInterface(QLabel* label, QAccessible::Role role)
{
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label);
        made && made->role() != role)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace

void AnnounceChanges(QLabel* label)
{
    InstallControlsAccessibility();
    label->setProperty(kAnnounced, true);
    remakeInterface(label, QAccessible::StatusBar);
}

void MakeClickable(QLabel* label, std::function<void()> onClick)
{
    InstallControlsAccessibility();
    label->setProperty(kClickable, true);
    // As the image buttons: Tab reaches it, a click leaves the focus where it was.
    label->setFocusPolicy(Qt::TabFocus);
    label->setCursor(Qt::PointingHandCursor);
    new LabelClicks(label, std::move(onClick));
    remakeInterface(label, QAccessible::Link);
}

void NameAfter(QWidget* control, QLabel* label)
{
    new NameFollower(control, label);
}

void MarkOpensMenu(QWidget* button)
{
    button->setProperty(kOpensMenu, true);
}

} // namespace zv
