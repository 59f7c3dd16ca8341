#include "app/views/studio_controls.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

#include "app/views/accessibility.h"
#include "app/views/focus_ring.h"
#include "app/views/studio_label.h"

namespace knockbox {
namespace {

constexpr double knobRadius = 9;

void focusRing(QPainter& painter, const QRectF& rect, double radius) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(studio::color(studio::mint, 0.85), 1.5));
    painter.drawRoundedRect(rect, radius, radius);
}

}  // namespace

SegmentButton::SegmentButton(const QString& text, QWidget* parent) : KeyboardButton(parent) {
    setText(text);
    setCheckable(true);
    setAutoExclusive(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setFont(studioFont(font(), captionPoints + 1));
}

QSize SegmentButton::sizeHint() const {
    // Wide enough for the text in bold, as it is drawn once chosen.
    QFont chosen = font();
    chosen.setWeight(QFont::DemiBold);
    const QFontMetrics metrics(chosen);
    return {metrics.horizontalAdvance(text()) + 20, std::max(26, metrics.height() + 8)};
}

void SegmentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    const QRectF pill = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (isChecked()) {
        QLinearGradient fill(pill.topLeft(), pill.bottomLeft());
        fill.setColorAt(0, studio::color(studio::segmentChosen));
        fill.setColorAt(1, studio::color(studio::segmentChosen).darker(125));
        painter.setPen(QPen(studio::white(0.12), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(pill, 6, 6);
    } else if (underMouse() && isEnabled()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(studio::white(0.05));
        painter.drawRoundedRect(pill, 6, 6);
    }
    QFont label = font();
    label.setWeight(isChecked() ? QFont::DemiBold : QFont::Normal);
    painter.setFont(label);
    painter.setPen(studio::inkColor(isChecked() ? studio::titleInk : studio::pickerSecondaryInk));
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (showsFocusRing(*this)) focusRing(painter, pill, 6);
}

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (int i = 0; i < labels.size(); ++i) {
        auto* segment = new SegmentButton(labels[i], this);
        segment->setAccessibleName(labels[i]);
        row->addWidget(segment, 1);
        segments_.push_back(segment);
        connect(segment, &QAbstractButton::clicked, this, [this, i] { emit activated(i); });
    }
}

int SegmentedControl::selected() const {
    for (std::size_t i = 0; i < segments_.size(); ++i)
        if (segments_[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

void SegmentedControl::setSelected(int index) {
    if (index >= 0 && index < static_cast<int>(segments_.size())) segments_[static_cast<std::size_t>(index)]->setChecked(true);
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.6);
    painter.setPen(QPen(studio::white(0.07), 1));
    painter.setBrush(studio::color(studio::segmentTrack));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}

ToggleSwitch::ToggleSwitch(const QString& accessibleName, QWidget* parent) : KeyboardButton(parent) {
    setCheckable(true);
    setAccessibleName(accessibleName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    const QRectF track = QRectF(rect()).adjusted(1, 2, -1, -2);
    const double radius = track.height() / 2;
    painter.setPen(QPen(studio::white(isChecked() ? 0.0 : 0.12), 1));
    painter.setBrush(isChecked() ? studio::color(studio::mint) : studio::color({0.22, 0.23, 0.26}));
    painter.drawRoundedRect(track, radius, radius);
    const double knob = radius - 2;
    const QPointF centre(isChecked() ? track.right() - radius : track.left() + radius, track.center().y());
    painter.setPen(Qt::NoPen);
    painter.setBrush(studio::color({0, 0, 0}, 0.25));
    painter.drawEllipse(centre + QPointF(0, 0.8), knob, knob);
    painter.setBrush(studio::white());
    painter.drawEllipse(centre, knob, knob);
    if (showsFocusRing(*this)) focusRing(painter, track.adjusted(-1, -1, 1, 1), radius + 1);
}

StudioSlider::StudioSlider(studio::Rgb tint, QWidget* parent) : QSlider(Qt::Horizontal, parent), tint_(tint) {
    installAccessibility();  // the value reads as a percentage
    setRange(0, 100);
    setSingleStep(5);
    setPageStep(20);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(24);
}

QRectF StudioSlider::track() const {
    return {knobRadius + 1, height() / 2.0 - 2, width() - 2 * (knobRadius + 1), 4};
}

int StudioSlider::valueAt(double x) const {
    const QRectF line = track();
    const double t = line.width() > 0 ? std::clamp((x - line.left()) / line.width(), 0.0, 1.0) : 0.0;
    return minimum() + static_cast<int>(std::lround(t * (maximum() - minimum())));
}

void StudioSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    const QRectF line = track();
    const double span = maximum() - minimum();
    const double t = span > 0 ? (value() - minimum()) / span : 0.0;
    const double x = line.left() + t * line.width();
    painter.setPen(Qt::NoPen);
    painter.setBrush(studio::white(0.14));
    painter.drawRoundedRect(line, 2, 2);
    painter.setBrush(studio::color(tint_));
    painter.drawRoundedRect(QRectF(line.left(), line.top(), x - line.left(), line.height()), 2, 2);
    const QPointF centre(x, line.center().y());
    painter.setBrush(studio::color({0, 0, 0}, 0.3));
    painter.drawEllipse(centre + QPointF(0, 1), knobRadius, knobRadius);
    painter.setBrush(studio::white());
    painter.drawEllipse(centre, knobRadius - 0.5, knobRadius - 0.5);
    if (showsFocusRing(*this)) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(studio::color(tint_, 0.9), 1.5));
        painter.drawEllipse(centre, knobRadius + 1.5, knobRadius + 1.5);
    }
}

void StudioSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QSlider::mousePressEvent(event);
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void StudioSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!isSliderDown()) return QSlider::mouseMoveEvent(event);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void StudioSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!isSliderDown()) return QSlider::mouseReleaseEvent(event);
    setSliderDown(false);
    event->accept();
}

}  // namespace knockbox
