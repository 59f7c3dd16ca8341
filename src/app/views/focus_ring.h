#pragma once
// Focus rings show only once the user moves focus with the keyboard, as
// native controls do; a click or the window opening shows none.

#include <QWidget>

namespace knockbox {

inline bool showsFocusRing(const QWidget& widget) {
    return widget.hasFocus() && widget.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

}  // namespace knockbox
