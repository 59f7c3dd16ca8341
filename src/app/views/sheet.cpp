#include "app/views/sheet.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/views/studio_palette.h"

namespace knockbox {

Sheet::Sheet(const QString& title, int width, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    setAccessibleName(title);
    setWindowFlag(Qt::Sheet);
    setWindowModality(Qt::WindowModal);
    // A fixed width lets wrapped text take the height it needs.
    setFixedWidth(width);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, studio::color(studio::sheetBackground));
    colours.setColor(QPalette::WindowText, studio::inkColor(studio::textInk));
    setPalette(colours);
}

void Sheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Sheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), studio::color(studio::sheetBackground));
}

}  // namespace knockbox
