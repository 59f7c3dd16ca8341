#include "app/views/studio_label.h"

#include "app/views/accessibility.h"

namespace knockbox {
namespace {

void dress(QLabel& label, double points, QFont::Weight weight, const QColor& colour, Qt::Alignment alignment) {
    label.setFont(studioFont(label.font(), points, weight));
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
    label.setAlignment(alignment);
}

}  // namespace

Heading::Heading(const QString& text, QWidget* parent) : QLabel(text, parent) { installAccessibility(); }

QFont studioFont(QFont font, double points, QFont::Weight weight) {
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

QLabel* studioLabel(const QString& text, double points, QFont::Weight weight, const QColor& colour, QWidget* parent,
                    Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    dress(*label, points, weight, colour, alignment);
    return label;
}

void setWrappedText(QLabel& label, const QString& text) {
    label.setText(text);
    label.setFixedHeight(label.heightForWidth(label.minimumWidth()));
}

Heading* studioHeading(const QString& text, double points, QFont::Weight weight, const QColor& colour,
                       QWidget* parent, Qt::Alignment alignment) {
    auto* heading = new Heading(text, parent);
    dress(*heading, points, weight, colour, alignment);
    return heading;
}

}  // namespace knockbox
