#pragma once
// The onboarding flow that replaces the main screen for a new user: a
// three-step guide (firm taps, light taps, play), what to do now, the tap
// counts of the running calibration, the MacBook drawing and the one button
// that moves on. Opened again after it was completed, it first asks which
// calibration to redo: both, or the firm or the light taps alone.

#include <QLabel>
#include <QWidget>

#include "app/configuration_model.h"
#include "app/views/animation_clock.h"

namespace knockbox {

class FadingLabel;
class MacBookIllustration;
class PlainButton;
class SegmentedControl;
class StudioButton;
class SymbolButton;

// "Firm", "Light", "Play" (or one calibration and "Play"): numbered circles,
// a check on the steps done, the current one in mint.
class StepGuide : public QWidget {
    Q_OBJECT

public:
    explicit StepGuide(QWidget* parent = nullptr);
    void setStage(OnboardingStage stage, CalibrationSteps steps);
    QSize sizeHint() const override { return {380, 30}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList names() const;
    int current() const;

    OnboardingStage stage_ = OnboardingStage::welcome;
    CalibrationSteps steps_ = CalibrationSteps::firmAndLight;
};

// The taps counted per side against the taps required, the side to tap
// highlighted.
class TapProgress : public QWidget {
    Q_OBJECT

public:
    explicit TapProgress(QWidget* parent = nullptr);
    void show(int left, int right, int total, std::optional<Side> target, bool light);
    QSize sizeHint() const override { return {380, 54}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int left_ = 0, right_ = 0, total_ = 8;
    std::optional<Side> target_;
    bool light_ = false;
};

class OnboardingView : public QWidget {
    Q_OBJECT

public:
    OnboardingView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock = systemAnimationClock(),
                   QWidget* parent = nullptr);

    MacBookIllustration& illustration() const { return *illustration_; }
    // The keyboard focus to the step's button (the close button when there is none).
    void focusAction();

protected:
    // Escape closes the onboarding, as its close button does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();
    void act();

    ConfigurationModel& model_;
    StepGuide* steps_ = nullptr;
    FadingLabel* title_ = nullptr;
    QLabel* explanation_ = nullptr;
    SegmentedControl* stepChoice_ = nullptr;  // which calibrations to redo
    MacBookIllustration* illustration_ = nullptr;
    TapProgress* progress_ = nullptr;
    QLabel* spacingCaption_ = nullptr;
    QLabel* hint_ = nullptr;
    StudioButton* action_ = nullptr;
    PlainButton* skip_ = nullptr;
    SymbolButton* close_ = nullptr;
};

}  // namespace knockbox
