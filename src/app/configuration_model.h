#pragma once
// The one object behind the configuration window. It owns the settings, runs
// the player as a child process with them, turns each of the player's lines
// into state the window shows (status, hit counters, calibration progress),
// stops the player on request, plays sound previews in-process and saves the
// settings. The views only read its properties and call its operations.
//
// Lives on the main thread, which must run a Qt event loop: the player's
// output and exit arrive through it. Every property has a change signal that
// fires when its value changes.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QSettings>
#include <QString>

#include "app/calibration_progress.h"
#include "app/ui_settings.h"
#include "audio/drum_kit.h"
#include "core/drum.h"
#include "core/side.h"

namespace knockbox {

class DrumAudio;
class PlayerProcess;

using DrumCounts = std::map<Drum, int>;
using DrumVelocities = std::map<Drum, double>;

class ConfigurationModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(knockbox::UISettings settings READ settings WRITE setSettings NOTIFY settingsChanged)
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)
    Q_PROPERTY(bool stopping READ stopping NOTIFY stoppingChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(std::optional<QString> notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(knockbox::DrumCounts hits READ hits NOTIFY hitsChanged)
    Q_PROPERTY(std::optional<knockbox::Drum> lastDrum READ lastDrum NOTIFY lastDrumChanged)
    Q_PROPERTY(knockbox::DrumVelocities hitVelocity READ hitVelocity NOTIFY hitVelocityChanged)
    Q_PROPERTY(bool showOnboarding READ showOnboarding NOTIFY showOnboardingChanged)
    Q_PROPERTY(knockbox::OnboardingStage stage READ stage NOTIFY stageChanged)
    Q_PROPERTY(std::optional<knockbox::Side> targetSide READ targetSide NOTIFY targetSideChanged)
    Q_PROPERTY(int leftCount READ leftCount NOTIFY leftCountChanged)
    Q_PROPERTY(int rightCount READ rightCount NOTIFY rightCountChanged)
    Q_PROPERTY(int blockTarget READ blockTarget NOTIFY blockTargetChanged)
    Q_PROPERTY(int calibrationTotal READ calibrationTotal NOTIFY calibrationTotalChanged)
    Q_PROPERTY(QString calibrationPhase READ calibrationPhase NOTIFY calibrationPhaseChanged)
    Q_PROPERTY(int blockRemaining READ blockRemaining NOTIFY blockRemainingChanged)
    Q_PROPERTY(QString calibrationHint READ calibrationHint NOTIFY calibrationHintChanged)
    Q_PROPERTY(bool failed READ failed NOTIFY failedChanged)
    // Derived: the phase is "Weryfikacja"; the taps required per side.
    Q_PROPERTY(bool verifying READ verifying NOTIFY calibrationPhaseChanged)
    Q_PROPERTY(int tapTotal READ tapTotal NOTIFY calibrationTotalChanged)
    Q_PROPERTY(knockbox::CalibrationSteps steps READ steps NOTIFY stepsChanged)
    // The settings panel's line: the last save's result, else whether the
    // settings differ from the file's.
    Q_PROPERTY(QString settingsNote READ settingsNote NOTIFY noticeChanged)

public:
    struct Setup {
        // The store of the onboarding flag; default: applicationPreferences().
        std::unique_ptr<QSettings> preferences;
        // Default: settings.json in the application's support folder, where
        // the settings of the program's earlier name are copied once.
        std::optional<std::filesystem::path> settingsFile;
        // The player to run; default: "knockbox-helper" beside this program
        // when that file is executable, else this program itself.
        std::optional<std::filesystem::path> executable;
    };

    // Loads the settings and the onboarding flag. A settings file that cannot
    // be used is set aside (see setAside) and the status says so; the
    // defaults apply.
    explicit ConfigurationModel(Setup setup = {}, QObject* parent = nullptr);
    // A player still running is killed.
    ~ConfigurationModel() override;

    const UISettings& settings() const { return settings_; }
    void setSettings(const UISettings& settings);
    bool active() const { return active_; }
    bool ready() const { return ready_; }
    bool stopping() const { return stopping_; }
    const QString& status() const { return status_; }
    const std::optional<QString>& notice() const { return notice_; }
    const DrumCounts& hits() const { return hits_; }
    int hits(Drum drum) const;
    std::optional<Drum> lastDrum() const { return lastDrum_; }
    const DrumVelocities& hitVelocity() const { return hitVelocity_; }
    bool showOnboarding() const { return showOnboarding_; }
    OnboardingStage stage() const { return stage_; }
    std::optional<Side> targetSide() const { return progress_.targetSide; }
    int leftCount() const { return progress_.leftCount; }
    int rightCount() const { return progress_.rightCount; }
    int blockTarget() const { return progress_.blockTarget; }
    int calibrationTotal() const { return progress_.calibrationTotal; }
    QString calibrationPhase() const { return QString::fromStdString(progress_.calibrationPhase); }
    int blockRemaining() const { return progress_.blockRemaining; }
    const QString& calibrationHint() const { return calibrationHint_; }
    bool failed() const { return failed_; }
    bool verifying() const { return progress_.verifying(); }
    int tapTotal() const { return progress_.calibrationTotal; }
    CalibrationSteps steps() const { return steps_; }

    // The settings differ from what the settings file holds (as loaded, or
    // as last saved).
    bool unsavedChanges() const { return settings_ != savedSettings_; }
    // The result of the last save while the settings are those it saved,
    // else "Unsaved changes" while they differ from the file's; else nothing.
    QString settingsNote() const;
    // The line under the drum kit: how to hear a drum, or that Mute keeps
    // every drum silent.
    QString kitCaption() const;
    // Where the drum is played with the current settings ("left · light", …).
    QString tapPlace(Drum drum) const;
    // Onboarding was completed once (its flag is stored).
    bool onboardingCompleted() const;
    // Where the settings and the onboarding flag are kept.
    const std::filesystem::path& settingsFile() const { return settingsFile_; }
    QString preferencesLocation() const { return preferences_->fileName(); }

    // Starts the player with the settings' arguments, "--until-input-ends",
    // "--direct-sensor" and the mode ("--calibrate-strong",
    // "--calibrate-light") when given. Does nothing while a player runs.
    void start(const std::optional<std::string>& mode = std::nullopt);
    // Asks the running player to end (SIGTERM); the rest happens when it has.
    void stop();
    // Runs the action at once when no player is active; otherwise stops the
    // player and runs it once the player has finished (replacing an action
    // waiting there).
    void runAfterStop(std::function<void()> action);
    // Run once when the current player has finished, after runAfterStop's action.
    void setOnStopped(std::function<void()> action) { onStopped_ = std::move(action); }

    // Validates and writes the settings; `notice` tells the result.
    void save();
    // Plays one drum with the current sounds and, unless a player is active
    // or onboarding is shown, animates it.
    void preview(Drum drum);
    // Every drum to one kit, saved. Only while no player is active.
    void selectKit(DrumKit kit);
    // One drum's kit, saved and previewed. Only while no player is active.
    void selectSound(DrumKit kit, Drum drum);

    // Onboarding from its first step (after stopping a running player).
    void openOnboarding();
    // Starts the firm-tap (or, with `light`, the gentle-tap) calibration run.
    // Only while no player is active.
    void beginCalibration(bool light);
    // Starts the calibrations of `steps`, the first one now: after the firm
    // taps come the light ones only when both were chosen.
    void beginCalibrations(CalibrationSteps steps);
    // Hides onboarding once a running player has stopped; `completed`
    // records that onboarding is done, so it is not shown again.
    void closeOnboarding(bool completed);

signals:
    void settingsChanged();
    void activeChanged();
    void readyChanged();
    void stoppingChanged();
    void statusChanged();
    // Also on every save, since each save's result is news even when it is the same text.
    void noticeChanged();
    void hitsChanged();
    void lastDrumChanged();
    void hitVelocityChanged();
    void showOnboardingChanged();
    void stageChanged();
    void targetSideChanged();
    void leftCountChanged();
    void rightCountChanged();
    void blockTargetChanged();
    void calibrationTotalChanged();
    void calibrationPhaseChanged();
    void blockRemainingChanged();
    void calibrationHintChanged();
    void failedChanged();
    void stepsChanged();

private:
    void receive(PlayerProcess* process, const QByteArray& chunk);
    void exited(PlayerProcess* process, int status);
    void consumeLine(const std::string& line);
    void flash(Drum drum, double velocity);
    void finishIfNeeded();
    void requestStop();
    void updateProgress(const std::function<void(CalibrationProgress&)>& change);

    void setActive(bool value);
    void setReady(bool value);
    void setStopping(bool value);
    void setStatus(const QString& value);
    void setNotice(const QString& value);
    void setShowOnboarding(bool value);
    void setStage(OnboardingStage value);
    void setCalibrationHint(const QString& value);
    void setFailed(bool value);
    void setSteps(CalibrationSteps value);

    // Published state.
    UISettings settings_;
    bool active_ = false;
    bool ready_ = false;
    bool stopping_ = false;
    QString status_;
    std::optional<QString> notice_;
    DrumCounts hits_;
    std::optional<Drum> lastDrum_;
    DrumVelocities hitVelocity_;
    bool showOnboarding_ = false;
    OnboardingStage stage_ = OnboardingStage::welcome;
    CalibrationProgress progress_;
    QString calibrationHint_;
    bool failed_ = false;
    CalibrationSteps steps_ = CalibrationSteps::firmAndLight;
    UISettings savedSettings_;  // what the settings file holds, as far as the model knows
    int runHits_ = 0;           // hits of the current (or last) player run

    // The current player run: the child and what has arrived from it.
    PlayerProcess* process_ = nullptr;
    std::string pending_;  // output not yet cut into lines
    bool outputEnded_ = false;
    std::optional<int> exitStatus_;
    // The last run's failure text as first shown, and how many runs in a row
    // have ended with it since.
    QString repeatedFailure_;
    int failureRepeats_ = 0;

    std::function<void()> afterStop_;
    std::function<void()> onStopped_;
    std::unique_ptr<DrumAudio> previewAudio_;
    std::unique_ptr<QSettings> preferences_;
    std::filesystem::path settingsFile_;
    std::optional<std::filesystem::path> executableOverride_;
};

// The player the app runs: the override when given, else "knockbox-helper"
// beside `ownExecutable` when that file is executable, else `ownExecutable`.
std::filesystem::path playerExecutable(const std::optional<std::filesystem::path>& executableOverride,
                                       const std::filesystem::path& ownExecutable);

}  // namespace knockbox
