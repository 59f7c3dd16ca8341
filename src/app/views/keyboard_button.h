#pragma once
// The base of every button of the app: Return and Enter press it, as Space
// does.

#include <QAbstractButton>

namespace knockbox {

class KeyboardButton : public QAbstractButton {
    Q_OBJECT

public:
    using QAbstractButton::QAbstractButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace knockbox
