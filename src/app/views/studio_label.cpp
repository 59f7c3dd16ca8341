#include "app/views/studio_label.h"

namespace knockbox {

QLabel* studioLabel(const QString& text, double points, QFont::Weight weight, const QColor& colour, QWidget* parent,
                    Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(qRound(points));
    font.setWeight(weight);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAlignment(alignment);
    return label;
}

}  // namespace knockbox
