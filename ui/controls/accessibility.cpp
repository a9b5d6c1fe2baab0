#include "ui/controls/accessibility.h"

#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <functional>

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

QAccessibleInterface* controlsFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("TBtnGraph")) {
        if (auto* b = qobject_cast<TBtnGraph*>(object))
            return new BtnGraphAccessible(b);
    } else if (key == QLatin1String("TScrollLabel")) {
        if (auto* l = qobject_cast<TScrollLabel*>(object))
            return new TextAccessible(l, QAccessible::StaticText, [l] { return l->Caption(); });
    } else if (key == QLatin1String("QLabel")) {
        if (auto* l = qobject_cast<QLabel*>(object); l && l->property(kAnnounced).toBool())
            return new TextAccessible(l, QAccessible::StatusBar, [l] { return l->text(); });
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
