#pragma once
// A sheet over the window in the app's colours: on macOS a sheet, elsewhere
// a dialog over the window, which waits for it either way. Done is its
// default button: Return and Enter close it (unless a button has the focus),
// as Escape does.

#include <QDialog>

namespace knockbox {

class Sheet : public QDialog {
    Q_OBJECT

public:
    Sheet(const QString& title, int width, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace knockbox
