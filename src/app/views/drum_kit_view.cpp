#include "app/views/drum_kit_view.h"

#include "app/views/focus_ring.h"

#include <algorithm>

#include <QPainter>

#include "app/views/drum_kit_layout.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

constexpr int frameIntervalMs = 16;  // about the display's rate

}  // namespace

DrumPadButton::DrumPadButton(Drum drum, QWidget* parent) : QAbstractButton(parent), drum_(drum) {
    setAccessibleName(QStringLiteral("Play ") + DrumKitCanvas::name(drum));
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
    frames_.setInterval(frameIntervalMs);
    frames_.setTimerType(Qt::PreciseTimer);
    connect(&frames_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&model_, &ConfigurationModel::hitsChanged, this, &DrumKitView::countHits);
    connect(&model_, &ConfigurationModel::settingsChanged, this, qOverload<>(&QWidget::update));
    for (Drum drum : allDrums) {
        auto* pad = new DrumPadButton(drum, this);
        connect(pad, &QAbstractButton::clicked, this, [this, drum] { model_.preview(drum); });
        pads_[index(drum)] = pad;
    }
}

QString DrumKitView::kickLabel(DrumKit kit) {
    return QString::fromUtf8(displayName(kit).data(), static_cast<qsizetype>(displayName(kit).size())).toUpper() +
           QStringLiteral(" KIT");
}

QString DrumKitView::tapPlace(Drum drum) {
    switch (drum) {
    case Drum::kick: return QStringLiteral("left · light");
    case Drum::tom: return QStringLiteral("left · firm");
    case Drum::hihat: return QStringLiteral("right · light");
    case Drum::snare: return QStringLiteral("right · firm");
    }
    return {};
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
    canvas.kickLabel = kickLabel(model_.settings().sounds.kick);
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
    picture.paint(painter, size());

    // Each drum's name and where to tap it.
    const DrumKitLayout layout = DrumKitLayout::fitting(size());
    if (layout.scale <= 0) return;
    QFont nameFont = font();
    nameFont.setPixelSize(std::max(1, qRound(12 * layout.scale)));
    nameFont.setWeight(QFont::DemiBold);
    QFont placeFont = font();
    placeFont.setPixelSize(std::max(1, qRound(10 * layout.scale)));
    for (Drum drum : allDrums) {
        const QPointF centre = layout.labelCenter(drum);
        const double lineHeight = 14 * layout.scale;
        painter.setFont(nameFont);
        painter.setPen(studio::white(0.9));
        painter.drawText(QRectF(centre.x() - 80 * layout.scale, centre.y() - lineHeight, 160 * layout.scale, lineHeight),
                         Qt::AlignHCenter | Qt::AlignBottom, DrumKitCanvas::name(drum));
        painter.setFont(placeFont);
        painter.setPen(studio::color(studio::muted));
        painter.drawText(QRectF(centre.x() - 80 * layout.scale, centre.y(), 160 * layout.scale, lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop, tapPlace(drum));
    }
}

void DrumKitView::resizeEvent(QResizeEvent*) {
    const DrumKitLayout layout = DrumKitLayout::fitting(size());
    for (DrumPadButton* pad : pads_) pad->setGeometry(layout.hitRect(pad->drum()).toAlignedRect());
}

void DrumKitView::showEvent(QShowEvent*) { updateTimeline(); }
void DrumKitView::hideEvent(QHideEvent*) { frames_.stop(); }

}  // namespace knockbox
