#include "app/configuration_model.h"

#include <unistd.h>

#include <exception>
#include <system_error>
#include <utility>

#include <QProcessEnvironment>
#include <QStringList>

#include "app/drum_names.h"
#include "app/player_process.h"
#include "app/preferences.h"
#include "app/set_aside.h"
#include "audio/drum_audio.h"
#include "core/line_text.h"
#include "core/utf8_text.h"
#include "platform/directories.h"
#include "player/process_values.h"
#include "protocol/player_event.h"
#include "protocol/player_message.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

// Status texts of the model's own.
const QString idleStatus = QStringLiteral("Pick your sounds or start playing");
const QString startedStatus = QStringLiteral("Don't touch your MacBook for 2 seconds");
const QString stoppingStatus = QStringLiteral("Stopping…");
const QString finishedStatus = QStringLiteral("Ready for the next groove");
const QString connectFailedStatus = QStringLiteral("Couldn't connect. Please try again.");
const QString startFailedStatus = QStringLiteral("Couldn't start. Please try again.");
const QString invalidSettingsText = QStringLiteral("Restore the default settings and try again.");
const QString previewFailedStatus = QStringLiteral("Couldn't play the sound.");
const QString saveFailedNotice = QStringLiteral("Couldn't save. Please try again.");
const QString savedNotice = QStringLiteral("Saved");
const QString unsavedNote = QStringLiteral("Unsaved changes");
const QString clickCaption = QStringLiteral("Click a drum to hear it");
const QString mutedCaption = QStringLiteral("Mute is on: clicks and play stay silent. Turn it off in Settings.");

constexpr double defaultHitVelocity = 0.7;  // a hit line without a readable volume, and previews

// True when the field took a new value.
template <typename Value>
bool assign(Value& field, const Value& value) {
    if (field == value) return false;
    field = value;
    return true;
}

bool isHitLine(std::string_view line) { return line.starts_with("L  ") || line.starts_with("R  "); }

// "Playing · 12 hits · last: snare".
QString playingStatus(int hits, Drum last) {
    return QStringLiteral("Playing · %1 %2 · last: %3")
        .arg(hits)
        .arg(hits == 1 ? QStringLiteral("hit") : QStringLiteral("hits"))
        .arg(drumName(last).toLower());
}

}  // namespace

fs::path playerExecutable(const std::optional<fs::path>& executableOverride, const fs::path& ownExecutable) {
    if (executableOverride) return *executableOverride;
    const fs::path helper = ownExecutable.parent_path() / "knockbox-helper";
    std::error_code error;
    if (fs::is_regular_file(helper, error) && ::access(helper.c_str(), X_OK) == 0) return helper;
    return ownExecutable;
}

ConfigurationModel::ConfigurationModel(Setup setup, QObject* parent)
    : QObject(parent),
      status_(idleStatus),
      preferences_(setup.preferences ? std::move(setup.preferences) : applicationPreferences()),
      executableOverride_(std::move(setup.executable)) {
    if (setup.settingsFile) {
        settingsFile_ = *setup.settingsFile;
    } else {
        settingsFile_ = processValues().appSupportURL / "settings.json";
        copyLegacySettings(applicationSupportDirectory() / "Vexbeat" / "settings.json", settingsFile_);
    }
    showOnboarding_ = !preferences_->value(onboardingCompleteKey, false).toBool();
    const LoadedSettings loaded = loadSettings(settingsFile_);
    settings_ = loaded.settings.value_or(UISettings{});
    if (loaded.unusable()) {
        // The defaults from here on, and the next save must not destroy what
        // the user had: the file goes aside first, and the status says where.
        const std::optional<fs::path> kept = setAside(settingsFile_);
        status_ = QStringLiteral("Couldn't read your settings, so the defaults are in use. ") +
                  (kept ? QStringLiteral("The old file is kept as ") + QString::fromStdString(pathText(*kept)) + "."
                        : QStringLiteral("The old file is at ") + QString::fromStdString(pathText(settingsFile_)) +
                              ".");
    }
    savedSettings_ = settings_;
}

ConfigurationModel::~ConfigurationModel() {
    // Nothing of a dying run may reach a half-destroyed model.
    if (process_) {
        disconnect(process_, nullptr, this, nullptr);
        delete process_;
    }
}

int ConfigurationModel::hits(Drum drum) const {
    const auto found = hits_.find(drum);
    return found == hits_.end() ? 0 : found->second;
}

void ConfigurationModel::setSettings(const UISettings& settings) {
    if (!assign(settings_, settings)) return;
    emit settingsChanged();
    // A save's result speaks of the settings it saved, not of these.
    notice_.reset();
    emit noticeChanged();
}

QString ConfigurationModel::settingsNote() const {
    if (notice_) return *notice_;
    return unsavedChanges() ? unsavedNote : QString();
}

QString ConfigurationModel::kitCaption() const { return settings_.muted ? mutedCaption : clickCaption; }

QString ConfigurationModel::tapPlace(Drum drum) const { return knockbox::tapPlace(drum, settings_.invertSides); }

bool ConfigurationModel::onboardingCompleted() const { return preferences_->value(onboardingCompleteKey, false).toBool(); }

// --- The player run ---------------------------------------------------------

void ConfigurationModel::start(const std::optional<std::string>& mode) {
    if (process_) return;
    if (settings_.validation()) {
        setStatus(invalidSettingsText);
        return;
    }
    if (previewAudio_) {
        previewAudio_->stop();
        previewAudio_.reset();
    }

    const fs::path program = playerExecutable(executableOverride_, processValues().executablePath);
    QStringList arguments;
    for (const std::string& argument : settings_.arguments()) arguments << QString::fromStdString(argument);
    // The player ends when the app goes, even killed outright: its standard
    // input ends then. It starts its sensor process itself rather than
    // through sudo; knockbox-helper, when the app has one, gets the sensor
    // process its rights instead (player/sensor_access.h).
    arguments << QStringLiteral("--until-input-ends") << QStringLiteral("--direct-sensor");
    if (mode) arguments << QString::fromStdString(*mode);
    // Player and app agree on the profile file.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KNOCKBOX_SIDE_PROFILE"),
                       QString::fromStdString(processValues().sideProfileURL.string()));

    pending_.clear();
    if (notice_) {
        notice_.reset();
        emit noticeChanged();
    }
    setFailed(false);
    outputEnded_ = false;
    exitStatus_.reset();
    runHits_ = 0;
    setReady(false);
    setStatus(startedStatus);

    auto* process = new PlayerProcess(this);
    connect(process, &PlayerProcess::output, this, [this, process](const QByteArray& chunk) { receive(process, chunk); });
    connect(process, &PlayerProcess::exited, this, [this, process](int status) { exited(process, status); });
    process_ = process;
    if (!process->start(program, arguments, environment)) {
        process_ = nullptr;
        delete process;
        setFailed(true);
        setStatus(startFailedStatus);
        setCalibrationHint(startFailedStatus);
        return;
    }
    setActive(true);
}

void ConfigurationModel::receive(PlayerProcess* process, const QByteArray& chunk) {
    if (process != process_) return;  // a finished run's leftovers
    if (chunk.isEmpty()) {
        outputEnded_ = true;
        finishIfNeeded();
        return;
    }
    pending_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    const std::size_t lastFeed = pending_.rfind('\n');
    if (lastFeed == std::string::npos) return;
    // The complete lines leave `pending` before any is handled: whatever an
    // observer does meanwhile (even turning the event loop) sees a consistent buffer.
    const std::string complete = pending_.substr(0, lastFeed + 1);
    pending_.erase(0, lastFeed + 1);
    for (std::size_t start = 0, end; process == process_ && (end = complete.find('\n', start)) != std::string::npos;
         start = end + 1)
        consumeLine(replacingInvalidUtf8(std::string_view(complete).substr(start, end - start)));
}

void ConfigurationModel::exited(PlayerProcess* process, int status) {
    if (process != process_) return;
    exitStatus_ = status;
    finishIfNeeded();
}

// The run ends when both its end of output and its exit status have arrived,
// in either order: exactly once, by whichever comes second.
void ConfigurationModel::finishIfNeeded() {
    if (!process_ || !outputEnded_ || !exitStatus_) return;
    if (!pending_.empty()) {
        const std::string last = replacingInvalidUtf8(pending_);
        pending_.clear();
        consumeLine(last);
    }
    PlayerProcess* process = std::exchange(process_, nullptr);
    process->closeOutput();
    process->deleteLater();  // we may be inside one of its signals

    setActive(false);
    setStopping(false);
    setReady(false);
    if (*exitStatus_ == 0 && !failed_) {
        setStatus(finishedStatus);
        repeatedFailure_.clear();
        failureRepeats_ = 0;
    } else {
        // A "Błąd:" line has already put the player's own reason in the status.
        if (!failed_) {
            setStatus(connectFailedStatus);
            setFailed(true);
        }
        // The same failure again says so: the new attempt must show.
        failureRepeats_ = status_ == repeatedFailure_ ? failureRepeats_ + 1 : 0;
        repeatedFailure_ = status_;
        if (failureRepeats_ > 0) setStatus(status_ + QStringLiteral(" (attempt %1)").arg(failureRepeats_ + 1));
        setCalibrationHint(status_);
    }
    if (auto action = std::exchange(afterStop_, nullptr)) action();
    if (auto action = std::exchange(onStopped_, nullptr)) action();
}

void ConfigurationModel::consumeLine(const std::string& line) {
    const auto event = parsePlayerEvent(line);
    // The first failure names the cause; a later one (the player's word on
    // its sensor process, after that process's own) only follows from it.
    const bool laterFailure = failed_ && event && std::holds_alternative<FailureEvent>(*event);
    if (const auto message = playerMessage(line); message && !laterFailure) {
        const QString text = QString::fromStdString(*message);
        if (!isHitLine(line)) setStatus(text);
        if (showOnboarding_) setCalibrationHint(text);
    }
    if (!event) return;
    if (const auto* hit = std::get_if<HitEvent>(&*event)) {
        if (showOnboarding_) return;
        flash(hit->drum, hitVolume(line).value_or(defaultHitVelocity));
        setStatus(playingStatus(++runHits_, hit->drum));
    } else if (std::holds_alternative<ReadyEvent>(*event)) {
        setReady(true);
    } else if (std::holds_alternative<FailureEvent>(*event)) {
        setFailed(true);
        updateProgress([](CalibrationProgress& progress) { progress.targetSide.reset(); });
    } else if (std::holds_alternative<SavedEvent>(*event)) {
        // A calibration step is passed only here, and only once the player has stopped.
        if (!showOnboarding_ || (stage_ != OnboardingStage::strong && stage_ != OnboardingStage::light)) return;
        const bool lightNext = stage_ == OnboardingStage::strong && steps_ == CalibrationSteps::firmAndLight;
        const OnboardingStage next = lightNext ? OnboardingStage::between : OnboardingStage::done;
        updateProgress([](CalibrationProgress& progress) { progress.targetSide.reset(); });
        runAfterStop([this, next] { setStage(next); });
    } else {
        updateProgress([&event](CalibrationProgress& progress) { progress.apply(*event); });
    }
}

// The velocity is stored before the counter changes: whoever watches the
// counter reads the new velocity.
void ConfigurationModel::flash(Drum drum, double velocity) {
    const auto previous = hitVelocity_.find(drum);
    if (previous == hitVelocity_.end() || previous->second != velocity) {
        hitVelocity_[drum] = velocity;
        emit hitVelocityChanged();
    }
    ++hits_[drum];
    emit hitsChanged();
    if (lastDrum_ != drum) {
        lastDrum_ = drum;
        emit lastDrumChanged();
    }
}

void ConfigurationModel::stop() {
    if (process_) requestStop();
}

void ConfigurationModel::requestStop() {
    setStopping(true);
    setStatus(stoppingStatus);
    process_->terminate();
}

void ConfigurationModel::runAfterStop(std::function<void()> action) {
    if (!active_) {
        action();
        return;
    }
    afterStop_ = std::move(action);
    if (process_) requestStop();
}

// --- Settings and sounds ----------------------------------------------------

void ConfigurationModel::save() {
    switch (saveSettings(settings_, settingsFile_)) {
    case SaveOutcome::saved:
        savedSettings_ = settings_;
        return setNotice(savedNotice);
    case SaveOutcome::invalid: return setNotice(invalidSettingsText);
    case SaveOutcome::failed: return setNotice(saveFailedNotice);
    }
}

void ConfigurationModel::preview(Drum drum) {
    if (!showOnboarding_ && !active_) flash(drum, defaultHitVelocity);
    if (settings_.muted) return;
    const auto volume = static_cast<float>(settings_.volume);
    if (!previewAudio_) {
        try {
            previewAudio_ = std::make_unique<DrumAudio>(volume, settings_.sounds);
        } catch (const std::exception&) {
            setStatus(previewFailedStatus);
            return;
        }
    }
    previewAudio_->setMasterVolume(volume);
    previewAudio_->setSounds(settings_.sounds);
    previewAudio_->play(drum, static_cast<float>(defaultHitVelocity), 0.0f);
}

void ConfigurationModel::selectKit(DrumKit kit) {
    if (active_) return;
    UISettings changed = settings_;
    changed.sounds = SoundSelection::all(kit);
    setSettings(changed);
    if (previewAudio_) previewAudio_->setSounds(settings_.sounds);
    save();
}

void ConfigurationModel::selectSound(DrumKit kit, Drum drum) {
    if (active_) return;
    UISettings changed = settings_;
    changed.sounds.kit(drum) = kit;
    setSettings(changed);
    if (previewAudio_) previewAudio_->setSounds(settings_.sounds);
    save();
    preview(drum);
}

// --- Onboarding -------------------------------------------------------------

void ConfigurationModel::openOnboarding() {
    runAfterStop([this] {
        setStage(OnboardingStage::welcome);
        setSteps(CalibrationSteps::firmAndLight);
        setShowOnboarding(true);
        setFailed(false);
    });
}

void ConfigurationModel::beginCalibrations(CalibrationSteps steps) {
    if (active_) return;
    setSteps(steps);
    beginCalibration(steps == CalibrationSteps::light);
}

void ConfigurationModel::beginCalibration(bool light) {
    if (active_) return;
    setStage(light ? OnboardingStage::light : OnboardingStage::strong);
    updateProgress([](CalibrationProgress& progress) { progress = CalibrationProgress{}; });
    setFailed(false);
    setCalibrationHint(startedStatus);
    start(light ? "--calibrate-light" : "--calibrate-strong");
}

void ConfigurationModel::closeOnboarding(bool completed) {
    afterStop_ = nullptr;
    runAfterStop([this, completed] {
        if (completed) {
            preferences_->setValue(onboardingCompleteKey, true);
            preferences_->sync();
        }
        setShowOnboarding(false);
        setStage(OnboardingStage::welcome);
        setStatus(idleStatus);
    });
}

// --- Publishing -------------------------------------------------------------

void ConfigurationModel::updateProgress(const std::function<void(CalibrationProgress&)>& change) {
    const CalibrationProgress old = progress_;
    change(progress_);
    if (old.targetSide != progress_.targetSide) emit targetSideChanged();
    if (old.leftCount != progress_.leftCount) emit leftCountChanged();
    if (old.rightCount != progress_.rightCount) emit rightCountChanged();
    if (old.blockTarget != progress_.blockTarget) emit blockTargetChanged();
    if (old.calibrationTotal != progress_.calibrationTotal) emit calibrationTotalChanged();
    if (old.calibrationPhase != progress_.calibrationPhase) emit calibrationPhaseChanged();
    if (old.blockRemaining != progress_.blockRemaining) emit blockRemainingChanged();
}

void ConfigurationModel::setActive(bool value) {
    if (assign(active_, value)) emit activeChanged();
}
void ConfigurationModel::setReady(bool value) {
    if (assign(ready_, value)) emit readyChanged();
}
void ConfigurationModel::setStopping(bool value) {
    if (assign(stopping_, value)) emit stoppingChanged();
}
void ConfigurationModel::setStatus(const QString& value) {
    if (assign(status_, value)) emit statusChanged();
}
void ConfigurationModel::setShowOnboarding(bool value) {
    if (assign(showOnboarding_, value)) emit showOnboardingChanged();
}
void ConfigurationModel::setStage(OnboardingStage value) {
    if (assign(stage_, value)) emit stageChanged();
}
void ConfigurationModel::setCalibrationHint(const QString& value) {
    if (assign(calibrationHint_, value)) emit calibrationHintChanged();
}
void ConfigurationModel::setFailed(bool value) {
    if (assign(failed_, value)) emit failedChanged();
}
void ConfigurationModel::setSteps(CalibrationSteps value) {
    if (assign(steps_, value)) emit stepsChanged();
}

void ConfigurationModel::setNotice(const QString& value) {
    notice_ = value;
    emit noticeChanged();
}

}  // namespace knockbox
