#include "app/views/transitions.h"

#include <QPainter>

#include "app/views/accessibility.h"
#include "app/views/animation_clock.h"

namespace knockbox {
namespace {

constexpr int transitionFrameMs = 16;

}  // namespace

FadingLabel::FadingLabel(double seconds, bool reduceMotion, QWidget* parent)
    : QWidget(parent), seconds_(seconds), reduceMotion_(reduceMotion) {
    installAccessibility();  // read as a heading
    timer_.setInterval(transitionFrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (static_cast<double>(elapsed_.elapsed()) >= seconds_ * 1000) {
            timer_.stop();
            previous_.clear();
        }
        update();
    });
}

void FadingLabel::setText(const QString& text) {
    if (text == text_) return;
    previous_ = text_;
    text_ = text;
    setAccessibleName(text_);
    updateGeometry();
    if (reduceMotion_ || !isVisible() || previous_.isEmpty()) {
        previous_.clear();
        timer_.stop();
    } else {
        elapsed_.start();
        timer_.start();
    }
    update();
}

QSize FadingLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_) + 8, metrics.height() + 6};
}

QSize FadingLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void FadingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(palette().color(QPalette::WindowText));
    const double t = timer_.isActive() ? easeInOut(static_cast<double>(elapsed_.elapsed()) / (seconds_ * 1000)) : 1.0;
    if (!previous_.isEmpty() && t < 1) {
        painter.setOpacity(1 - t);
        painter.drawText(rect(), Qt::AlignCenter, previous_);
    }
    painter.setOpacity(t);
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

PageFade::PageFade(const QPixmap& snapshot, double seconds, QWidget* parent)
    : QWidget(parent), snapshot_(snapshot), seconds_(seconds) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(parent->rect());
    elapsed_.start();
    timer_.setInterval(transitionFrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (static_cast<double>(elapsed_.elapsed()) >= seconds_ * 1000) {
            timer_.stop();
            deleteLater();
        }
        update();
    });
    timer_.start();
    raise();
    show();
}

void PageFade::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(1 - easeInOut(static_cast<double>(elapsed_.elapsed()) / (seconds_ * 1000)));
    painter.drawPixmap(0, 0, snapshot_);
}

}  // namespace knockbox
