#pragma once
// Text in the app's type: a label of a given size, weight and colour.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

namespace knockbox {

// Sizes are in points, which this app draws as logical pixels.
QLabel* studioLabel(const QString& text, double points, QFont::Weight weight, const QColor& colour, QWidget* parent,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

}  // namespace knockbox
