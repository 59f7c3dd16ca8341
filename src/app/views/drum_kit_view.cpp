#include "app/views/drum_kit_view.h"

#include <algorithm>

#include <QPainter>

#include "app/drum_names.h"
#include "app/views/drum_kit_layout.h"
#include "app/views/focus_ring.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

constexpr int kitFrameMs = 16;  // about the display's rate

}  // namespace

DrumPadButton::DrumPadButton(Drum drum, QWidget* parent) : KeyboardButton(parent), drum_(drum) {
    setAccessibleName(QStringLiteral("Play ") + drumName(drum));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

// Nothing shows but keyboard focus: the drum itself is the button.
void DrumPadButton::paintEvent(QPaintEvent*) {
    if (!showsFocusRing(*this)) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(studio::color(studio::kitMint, 0.8), 1.5, Qt::DashLine);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 12, 12);
}

DrumKitView::DrumKitView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock, QWidget* parent)
    : QWidget(parent), model_(model), reduceMotion_(reduceMotion), clock_(std::move(clock)), seen_(model.hits()) {
    setAccessibleName(QStringLiteral("Drum kit"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    frames_.setInterval(kitFrameMs);
    frames_.setTimerType(Qt::PreciseTimer);
    connect(&frames_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&model_, &ConfigurationModel::hitsChanged, this, &DrumKitView::countHits);
    connect(&model_, &ConfigurationModel::settingsChanged, this, [this] {
        describePads();
        update();
    });
    for (Drum drum : allDrums) {
        auto* pad = new DrumPadButton(drum, this);
        connect(pad, &QAbstractButton::clicked, this, [this, drum] { model_.preview(drum); });
        pads_[index(drum)] = pad;
    }
    describePads();
}

// Each pad tells where its drum is played.
void DrumKitView::describePads() {
    for (DrumPadButton* pad : pads_) pad->setAccessibleDescription(model_.tapPlace(pad->drum()));
}

QString DrumKitView::kickLabel(const SoundSelection& sounds) {
    const std::string_view name = displayName(sounds.kick);
    const bool wholeKit = sounds == SoundSelection::all(sounds.kick);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toUpper() +
           (wholeKit ? QStringLiteral(" KIT") : QStringLiteral(" KICK"));
}

bool DrumKitView::animating() const {
    if (reduceMotion_) return false;
    const double now = clock_();
    for (const auto& [drum, time] : hitTimes_)
        if (now - time < hitSettle) return true;
    return false;
}

DrumKitCanvas DrumKitView::canvas() const {
    DrumKitCanvas canvas;
    const DrumVelocities& velocities = model_.hitVelocity();
    for (const auto& [drum, time] : hitTimes_) {
        const auto velocity = velocities.find(drum);
        canvas.hits[drum] = {time, velocity == velocities.end() ? defaultHitStrength : velocity->second};
    }
    canvas.kickLabel = kickLabel(model_.settings().sounds);
    canvas.now = clock_();
    canvas.reduceMotion = reduceMotion_;
    return canvas;
}

// Every drum whose counter moved starts its animation now; a little after
// the animation's length the view looks again, so the timeline stops once
// the last hit has settled.
void DrumKitView::countHits() {
    const double now = clock_();
    const DrumCounts& hits = model_.hits();
    for (const auto& [drum, count] : hits) {
        const auto seen = seen_.find(drum);
        if (seen == seen_.end() || seen->second != count) hitTimes_[drum] = now;
    }
    seen_ = hits;
    const int token = ++wake_;
    QTimer::singleShot(wakeDelayMs, this, [this, token] {
        if (wake_ != token) return;
        ++wake_;
        updateTimeline();
        update();
    });
    updateTimeline();
    update();
}

void DrumKitView::updateTimeline() {
    if (animating() && isVisible()) {
        if (!frames_.isActive()) frames_.start();
    } else {
        frames_.stop();
    }
}

void DrumKitView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const DrumKitCanvas picture = canvas();
    picture.paint(painter, drawingSize());

    // Each drum's name and where to tap it.
    const DrumKitLayout layout = DrumKitLayout::fitting(drawingSize());
    if (layout.scale <= 0) return;
    const QFont nameFont = labelFont(layout.scale, true);
    const QFont placeFont = labelFont(layout.scale, false);
    const double nameHeight = QFontMetricsF(nameFont).height();
    const double placeHeight = QFontMetricsF(placeFont).height();
    const double grow = std::max(1.0, layout.scale);
    for (Drum drum : allDrums) {
        const QPointF centre = layout.labelCenter(drum);
        const double half = 90 * grow;
        painter.setFont(nameFont);
        painter.setPen(studio::inkColor(studio::textInk));
        painter.drawText(QRectF(centre.x() - half, centre.y() - nameHeight, 2 * half, nameHeight),
                         Qt::AlignHCenter | Qt::AlignBottom, drumName(drum));
        painter.setFont(placeFont);
        painter.setPen(studio::inkColor(studio::secondaryInk));
        painter.drawText(QRectF(centre.x() - half, centre.y(), 2 * half, placeHeight), Qt::AlignHCenter | Qt::AlignTop,
                         model_.tapPlace(drum));
    }
}

// Never smaller than a caption; growing with the kit.
QFont DrumKitView::labelFont(double scale, bool name) const {
    const double grow = std::max(1.0, scale);
    return name ? studioFont(font(), (captionPoints + 1) * grow, QFont::DemiBold)
                : studioFont(font(), captionPoints * grow);
}

// The labels under the kick and the snare end at the design's bottom; in a
// small kit their text is taller than the room the design leaves, and the
// kit moves up to make it.
QSizeF DrumKitView::drawingSize() const {
    const double scale = DrumKitLayout::fitting(size()).scale;
    const double room = (DrumKitLayout::designHeight - designLabelCenter(Drum::kick).y()) * scale;
    const double overflow = QFontMetricsF(labelFont(scale, false)).height() - room;
    return overflow > 0 ? QSizeF(width(), height() - overflow) : QSizeF(size());
}

void DrumKitView::resizeEvent(QResizeEvent*) {
    const DrumKitLayout layout = DrumKitLayout::fitting(drawingSize());
    for (DrumPadButton* pad : pads_) pad->setGeometry(layout.hitRect(pad->drum()).toAlignedRect());
}

void DrumKitView::showEvent(QShowEvent*) { updateTimeline(); }
void DrumKitView::hideEvent(QHideEvent*) { frames_.stop(); }

}  // namespace knockbox
