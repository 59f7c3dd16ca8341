#pragma once
// Text in the app's type: fonts and labels of a given size, weight and
// colour, and headings that assistive technology reads as headings.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

namespace knockbox {

// Sizes are typographic points, so text follows the screen's font
// resolution: a point is a logical pixel on macOS, 4/3 of one at 96 dpi.
// The app's smallest text, its captions, is 11 points.
inline constexpr double captionPoints = 11;
QFont studioFont(QFont font, double points, QFont::Weight weight = QFont::Normal);

QLabel* studioLabel(const QString& text, double points, QFont::Weight weight, const QColor& colour, QWidget* parent,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// Sets the text of a word-wrapped label of fixed width and gives the label the
// height its lines need: a window's layout gives it one line's height and
// would cut the rest off.
void setWrappedText(QLabel& label, const QString& text);

// A title: a label whose role is a heading.
class Heading : public QLabel {
    Q_OBJECT

public:
    Heading(const QString& text, QWidget* parent);
};

Heading* studioHeading(const QString& text, double points, QFont::Weight weight, const QColor& colour,
                       QWidget* parent, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

}  // namespace knockbox
