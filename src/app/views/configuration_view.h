#pragma once
// The content of the app's window: the main screen (wordmark, title, the
// drum kit, the status line and the button bar) or, while the model says so,
// the onboarding flow, with a short cross-fade between the two. Ctrl+P (⌘P)
// plays and stops, and so does Space when no control takes it.

#include <QLabel>
#include <QPointer>
#include <QStackedLayout>
#include <QWidget>

#include "app/configuration_model.h"
#include "app/views/animation_clock.h"

namespace knockbox {

class DrumKitView;
class OnboardingView;
class PlayerSettingsView;
class SoundPickerView;
class StudioButton;

// The "waveform" symbol and the word "knockbox".
class Wordmark : public QWidget {
    Q_OBJECT

public:
    explicit Wordmark(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class ConfigurationView : public QWidget {
    Q_OBJECT

public:
    static constexpr double pageFadeSeconds = 0.3;

    ConfigurationView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock = systemAnimationClock(),
                      QWidget* parent = nullptr);

    DrumKitView& drumKit() const { return *drumKit_; }
    OnboardingView& onboarding() const { return *onboarding_; }
    // The sheet and the popover while they are open (null otherwise).
    SoundPickerView* soundPicker() const;
    PlayerSettingsView* settingsPanel() const;

    // "Play", "Stop" or "Stopping" for the model's state.
    static QString playTitle(const ConfigurationModel& model);

    void openSounds();
    void openSettings();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showPage(bool animate);
    void refreshPlay();
    void refreshCaption();
    // Play when idle, Stop while playing.
    void togglePlay();

    ConfigurationModel& model_;
    bool reduceMotion_;
    QStackedLayout* pages_ = nullptr;
    QWidget* main_ = nullptr;
    DrumKitView* drumKit_ = nullptr;
    OnboardingView* onboarding_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* status_ = nullptr;
    StudioButton* sounds_ = nullptr;
    StudioButton* calibration_ = nullptr;
    StudioButton* settings_ = nullptr;
    StudioButton* play_ = nullptr;
    QPointer<SoundPickerView> soundPicker_;
    QPointer<PlayerSettingsView> settingsPanel_;
};

}  // namespace knockbox
