#pragma once
// What the views' tests add to the model's fixture: widgets found by what
// assistive technology reads.
#include <QAbstractButton>
#include <QAccessible>
#include <QWidget>

#include "app/model_fixture.h"

namespace knockbox::test {

using ViewTest = ModelTest;

// What assistive technology reads as the widget's name.
inline QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// The widget of that type and accessible name inside `root`; a visible one
// before one on a hidden page.
template <typename Widget = QWidget>
Widget* find(QWidget* root, const QString& name) {
    Widget* hidden = nullptr;
    for (Widget* widget : root->findChildren<Widget*>()) {
        if (accessibleName(widget) != name) continue;
        if (widget->isVisibleTo(root)) return widget;
        if (!hidden) hidden = widget;
    }
    if (!hidden) ADD_FAILURE() << "no widget named " << name.toStdString();
    return hidden;
}

}  // namespace knockbox::test
