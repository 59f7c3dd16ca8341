#pragma once
// A MacBook Pro seen from above: the open lid with its screen, the keyboard,
// the trackpad and the two aluminium palm rests. The palm rest to tap lights
// up, a hand demonstrates the tap, and every counted tap makes the case glow.

#include <optional>

#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include "app/views/animation_clock.h"
#include "core/side.h"

class QPainter;

namespace knockbox {

// The drawing at one instant, in a design space of 600 × 320 points scaled
// to fit and centred.
struct MacBookScene {
    static constexpr double designWidth = 600;
    static constexpr double designHeight = 320;

    std::optional<Side> side;             // the palm rest to highlight
    bool light = false;                   // gentle taps are asked for
    bool complete = false;                // onboarding finished
    bool reduceMotion = false;
    double time = 0;                      // seconds
    std::optional<double> countedTapAt;   // when the last counted tap arrived

    void paint(QPainter& painter, const QSizeF& size) const;
};

class MacBookIllustration : public QWidget {
    Q_OBJECT

public:
    MacBookIllustration(bool reduceMotion, AnimationClock clock = systemAnimationClock(), QWidget* parent = nullptr);

    void setSide(std::optional<Side> side);
    void setLight(bool light);
    void setComplete(bool complete);
    // A new value means a tap was counted.
    void setHitToken(int token);
    // Draws this instant instead of the clock's (for still pictures).
    void setClock(std::optional<double> time);

    // The frame timer runs (30 frames a second).
    bool animating() const { return frames_.isActive(); }
    MacBookScene scene() const;

    // 560 × 285 by preference; it grows and shrinks with the room it has.
    QSize sizeHint() const override { return {560, 285}; }
    QSize minimumSizeHint() const override { return {330, 170}; }

    // What assistive technology reads for this drawing.
    static QString accessibilityLabel(std::optional<Side> side, bool light);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    double now() const { return clock_ ? *clock_ : clockSource_(); }
    void refresh();

    std::optional<Side> side_;
    bool light_ = false;
    bool complete_ = false;
    int hitToken_ = 0;
    std::optional<double> clock_;
    bool reduceMotion_;
    std::optional<double> acceptedAt_;
    AnimationClock clockSource_;
    QTimer frames_;
    QTimer settle_;  // one more picture once a counted tap's glow is over
};

}  // namespace knockbox
