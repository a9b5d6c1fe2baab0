#pragma once
// Reading a window as assistive technology does, through Qt's accessibility
// interfaces: the elements a person acts on, and their actions.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QList>
#include <QTest>

namespace zv::test {

inline QAccessibleInterface* accessible(QObject* o)
{
    return QAccessible::queryAccessibleInterface(o);
}

// What a person can act on: the elements of these roles, shown.
inline bool actionable(QAccessibleInterface* i)
{
    static const QList<QAccessible::Role> roles = {QAccessible::Button, QAccessible::CheckBox,
        QAccessible::RadioButton, QAccessible::Slider, QAccessible::ComboBox, QAccessible::EditableText,
        QAccessible::List, QAccessible::Tree, QAccessible::PageTab, QAccessible::Link};
    return roles.contains(i->role()) && !i->state().invisible;
}

// The actionable elements under i, depth first. A web page's elements are the
// page's own (and its engine's interfaces carry no type information for the
// sanitizer); a list's rows are read with the list.
inline void collect(QAccessibleInterface* i, QList<QAccessibleInterface*>& out, int depth = 0)
{
    if (!i || depth > 30)
        return;
    if (actionable(i))
        out << i;
    if (i->object() && i->object()->inherits("QWebEngineView"))
        return;
    if (i->role() == QAccessible::List || i->role() == QAccessible::Tree)
        return;
    for (int c = 0; c < i->childCount(); ++c)
        collect(i->child(c), out, depth + 1);
}

inline void act(QAccessibleInterface* i, const QString& action)
{
    QVERIFY2(i->actionInterface(), qPrintable(i->text(QAccessible::Name)));
    QVERIFY2(i->actionInterface()->actionNames().contains(action),
        qPrintable(i->text(QAccessible::Name) + QLatin1String(": ")
            + i->actionInterface()->actionNames().join(QLatin1Char(','))));
    i->actionInterface()->doAction(action);
}

} // namespace zv::test
