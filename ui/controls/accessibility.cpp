#include "ui/controls/accessibility.h"

#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace zv {

namespace {

const char* const kAnnounced = "zvAnnounced";

// The name an owner gives wins over the one the control finds itself.
QString ownName(const QWidget* w, const QString& found)
{
    return w->accessibleName().isEmpty() ? found : w->accessibleName();
}

class BtnGraphAccessible : public QAccessibleWidget {
public:
    explicit BtnGraphAccessible(TBtnGraph* b)
        : QAccessibleWidget(b, QAccessible::Button)
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
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        if (action == pressAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

// The ticker reads as its whole text, wherever the scrolling has taken it.
class ScrollLabelAccessible : public QAccessibleWidget {
public:
    explicit ScrollLabelAccessible(TScrollLabel* l)
        : QAccessibleWidget(l, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        auto* l = static_cast<TScrollLabel*>(object());
        if (t == QAccessible::Name)
            return ownName(l, l->Caption().simplified());
        return QAccessibleWidget::text(t);
    }
};

// A status line: the label's own name changes (sent by the label at each new
// text) are what assistive technology reads out.
class StatusLabelAccessible : public QAccessibleWidget {
public:
    explicit StatusLabelAccessible(QLabel* l)
        : QAccessibleWidget(l, QAccessible::StatusBar)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        auto* l = static_cast<QLabel*>(object());
        if (t == QAccessible::Name)
            return ownName(l, l->text().simplified());
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* controlsFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("TBtnGraph")) {
        if (auto* b = qobject_cast<TBtnGraph*>(object))
            return new BtnGraphAccessible(b);
    } else if (key == QLatin1String("TScrollLabel")) {
        if (auto* l = qobject_cast<TScrollLabel*>(object))
            return new ScrollLabelAccessible(l);
    } else if (key == QLatin1String("QLabel")) {
        if (auto* l = qobject_cast<QLabel*>(object); l && l->property(kAnnounced).toBool())
            return new StatusLabelAccessible(l);
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

void AnnounceChanges(QLabel* label)
{
    InstallControlsAccessibility();
    label->setProperty(kAnnounced, true);
    // An interface already made for the plain label gives way to the status one.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label);
        made && made->role() != QAccessible::StatusBar)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace zv
