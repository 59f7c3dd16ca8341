#include "app/views/studio_button.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "app/views/focus_ring.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

constexpr double pressedScale = 0.97;
constexpr int horizontalPadding = 18;
constexpr int symbolGap = 7;

constexpr double labelPoints = 13;

// Shrinks the painter about the widget's centre while the button is down.
void pressTransform(QPainter& painter, const QAbstractButton& button) {
    if (!button.isDown()) return;
    const QPointF centre = QRectF(button.rect()).center();
    painter.translate(centre);
    painter.scale(pressedScale, pressedScale);
    painter.translate(-centre);
}

// A keyboard focus ring around a capsule.
void paintFocus(QPainter& painter, const QAbstractButton& button, const QRectF& capsule) {
    if (!showsFocusRing(button)) return;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(studio::color(studio::mint, 0.85), 2));
    const QRectF ring = capsule.adjusted(-1, -1, 1, 1);
    painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
}

}  // namespace

StudioButton::StudioButton(const QString& text, bool secondary, QWidget* parent)
    : KeyboardButton(parent), secondary_(secondary) {
    setText(text);
    setFont(studioFont(font(), labelPoints, QFont::DemiBold));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StudioButton::setSymbol(std::optional<StudioIcon> symbol, bool trailing) {
    symbol_ = symbol;
    trailing_ = trailing;
    updateGeometry();
    update();
}

void StudioButton::setSecondary(bool secondary) {
    secondary_ = secondary;
    update();
}

void StudioButton::setCapsuleHeight(int height) {
    height_ = height;
    updateGeometry();
    update();
}

QSize StudioButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    double width = metrics.horizontalAdvance(text()) + 2 * horizontalPadding;
    if (symbol_) width += metrics.height() * 0.9 + symbolGap;
    return {static_cast<int>(width + 0.999), height_};
}

void StudioButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    pressTransform(painter, *this);
    if (!isEnabled()) painter.setOpacity(0.4);

    const QRectF capsule = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const double radius = capsule.height() / 2;
    const bool hovered = underMouse() && isEnabled();
    QColor fill = secondary_ ? studio::color(studio::panel) : studio::color(studio::mint);
    if (hovered) fill = fill.lighter(secondary_ ? 135 : 108);
    // A soft top light makes the capsule read as a surface, not a flat shape.
    QLinearGradient shade(capsule.topLeft(), capsule.bottomLeft());
    shade.setColorAt(0, fill.lighter(112));
    shade.setColorAt(1, fill.darker(104));
    painter.setPen(secondary_ ? QPen(studio::white(0.1), 1) : QPen(Qt::NoPen));
    painter.setBrush(shade);
    painter.drawRoundedRect(capsule, radius, radius);

    const QColor ink = secondary_ ? studio::white() : studio::color(studio::background);
    const QFontMetricsF metrics(font());
    const double symbolSize = symbol_ ? metrics.height() * 0.9 : 0.0;
    const double contentWidth = metrics.horizontalAdvance(text()) + (symbol_ ? symbolSize + symbolGap : 0.0);
    double x = capsule.center().x() - contentWidth / 2;
    const double midY = capsule.center().y();
    if (symbol_ && !trailing_) {
        paintIcon(painter, *symbol_, QRectF(x, midY - symbolSize / 2, symbolSize, symbolSize).adjusted(1, 1, -1, -1),
                  ink);
        x += symbolSize + symbolGap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    const QRectF textBox(x, capsule.top(), metrics.horizontalAdvance(text()) + 1, capsule.height());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, text());
    if (symbol_ && trailing_) {
        x += metrics.horizontalAdvance(text()) + symbolGap;
        paintIcon(painter, *symbol_, QRectF(x, midY - symbolSize / 2, symbolSize, symbolSize).adjusted(1, 1, -1, -1),
                  ink);
    }
    paintFocus(painter, *this, capsule);
}

PlainButton::PlainButton(const QString& text, QWidget* parent) : KeyboardButton(parent) {
    setText(text);
    setFont(studioFont(font(), labelPoints));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PlainButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {static_cast<int>(metrics.horizontalAdvance(text()) + 12.999), static_cast<int>(metrics.height() + 12.999)};
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.4);
    const bool hovered = underMouse() && isEnabled();
    painter.setPen(hovered || isDown() ? studio::inkColor(studio::titleInk) : studio::inkColor(studio::secondaryInk));
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (showsFocusRing(*this)) {
        painter.setPen(QPen(studio::color(studio::mint, 0.85), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
}

SymbolButton::SymbolButton(StudioIcon symbol, const QString& name, int diameter, QWidget* parent)
    : KeyboardButton(parent), symbol_(symbol), diameter_(diameter) {
    setAccessibleName(name);
    setToolTip(name);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setFixedSize(diameter, diameter);
}

void SymbolButton::setSymbol(StudioIcon symbol) {
    symbol_ = symbol;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    pressTransform(painter, *this);
    if (!isEnabled()) painter.setOpacity(0.4);
    const QRectF circle = QRectF(rect()).adjusted(1, 1, -1, -1);
    const bool hovered = underMouse() && isEnabled();
    painter.setPen(QPen(studio::white(hovered ? 0.22 : 0.1), 1));
    painter.setBrush(studio::color(studio::panel).lighter(hovered ? 150 : 120));
    painter.drawEllipse(circle);
    const double inset = circle.width() * 0.31;
    paintIcon(painter, symbol_, circle.adjusted(inset, inset, -inset, -inset), studio::white(0.9));
    paintFocus(painter, *this, circle);
}

}  // namespace knockbox
