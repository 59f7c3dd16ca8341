#pragma once
// The animated drum kit of the main screen: every hit the model counts
// flashes its drum; clicking a drum previews it. A frame timer runs only
// while a hit animates (and never with reduced motion), so an idle kit costs
// nothing. The kit grows with the room it is given.

#include <array>
#include <map>

#include <QTimer>
#include <QWidget>

#include "app/configuration_model.h"
#include "app/views/animation_clock.h"
#include "app/views/drum_kit_canvas.h"
#include "app/views/keyboard_button.h"

namespace knockbox {

// An invisible click target over one drum.
class DrumPadButton : public KeyboardButton {
    Q_OBJECT

public:
    DrumPadButton(Drum drum, QWidget* parent);
    Drum drum() const { return drum_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Drum drum_;
};

class DrumKitView : public QWidget {
    Q_OBJECT

public:
    // A hit's animation stops this long after it began: the animation's
    // length and a little more.
    static constexpr int wakeDelayMs = 1650;

    DrumKitView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock = systemAnimationClock(),
                QWidget* parent = nullptr);

    // A hit less than hitSettle old, with motion allowed.
    bool animating() const;
    // The frame timer runs.
    bool timelineRunning() const { return frames_.isActive(); }
    // What is drawn at the clock's present time.
    DrumKitCanvas canvas() const;

    // What the kick's front head reads: the kit when every drum plays it
    // ("808 KIT"), else the kick's own sound ("808 KICK").
    static QString kickLabel(const SoundSelection& sounds);

    QSize sizeHint() const override { return {700, 380}; }
    QSize minimumSizeHint() const override { return {420, 238}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void countHits();
    void updateTimeline();
    void describePads();
    QFont labelFont(double scale, bool name) const;
    QSizeF drawingSize() const;

    ConfigurationModel& model_;
    bool reduceMotion_;
    AnimationClock clock_;
    std::map<Drum, double> hitTimes_;  // when each drum's last hit began to animate
    DrumCounts seen_;                  // the model's counters already animated
    int wake_ = 0;                     // changes when a hit arrives and once more after its animation
    QTimer frames_;
    std::array<DrumPadButton*, 4> pads_{};
};

}  // namespace knockbox
