// The calibration's side of a play session: the capture and its journal from
// the end of the warm-up, every calibration tap handed to the capture, the
// side model fitted when the training is complete, the independent
// verification judged, the profile saved and put to use at once, and the
// progress published for the configuration app.

#include <algorithm>
#include <exception>
#include <string>

#include "core/number_text.h"
#include "player/session.h"
#include "protocol/player_lines.h"
#include "sidemodels/calibration_error.h"

namespace knockbox {
namespace {

using Capture = CalibrationCapture;

}  // namespace

void Session::logAll(const std::vector<CalibrationMessage>& messages) {
    for (const CalibrationMessage& message : messages) environment_.log(lines::calibrationMessage(message));
}

void Session::startCalibration() {
    const CalibrationKind kind = options_.calibrateLight    ? CalibrationKind::light
                                 : options_.calibrateStrong ? CalibrationKind::strong
                                                            : CalibrationKind::standard;
    const char* kindName = kind == CalibrationKind::light    ? "light"
                           : kind == CalibrationKind::strong ? "strong"
                                                             : "standard";
    // The thresholds as they stand now, raised by a typing calibration if there was one.
    const DetectorConfig& config = detector_.config();
    calibration_.emplace(kind, config.accent, config.threshold);

    const CalibrationFiles& files = environment_.calibration;
    if (!files.journalStamp) return;
    try {
        const auto [started, uuid] = files.journalStamp();
        calibrationJournal_ = std::make_unique<CalibrationJournal>(
            files.sideProfile.parent_path(),
            JournalHeader{kindName, config.threshold, config.accent, files.hardwareModel, started, uuid});
        environment_.log(lines::journalOpened(calibrationJournal_->url().string()));
    } catch (const std::exception& error) {
        environment_.log(lines::journalUnavailable(error.what()));
    }
}

void Session::followCalibration(double t) {
    logAll(calibration_->advance(t));
    publishCalibrationState();
}

void Session::publishCalibrationState() {
    if (!calibration_) return;
    const Capture::Progress progress = calibration_->progress();
    CalibrationUIState state{
        std::string(progress.stage == Capture::Stage::training ? trainingStage : verificationStage),
        progress.side,
        progress.leftCount,
        progress.rightCount,
        progress.perSide,
        progress.blockRemaining,
        progress.collecting};
    if (state == lastCalibrationUIState_) return;
    environment_.log(lines::calibration(state));
    lastCalibrationUIState_ = std::move(state);
}

void Session::collectSideCalibration(const Hit& hit) {
    const Capture::Result result = calibration_->consume(hit);
    logAll(result.messages);
    if (result.observation && calibrationJournal_) {
        try {
            calibrationJournal_->record(result.observation->side, rawValue(result.observation->stage), hit,
                                        detector_.lastHitTrace());
        } catch (const std::exception& error) {
            environment_.log(lines::journalWriteFailed(error.what()));
        }
    }
    if (result.training) finishTraining(*result.training, hit.t);
    if (result.verification) finishVerification(*result.verification, hit.t);
    publishCalibrationState();
}

void Session::finishTraining(const Capture::Training& training, double t) {
    const std::string& model = environment_.calibration.hardwareModel;
    if (options_.calibrateLight) {
        // Two models, each fitted on its own: the side signature ("atak") and
        // the impulse signature ("impuls"). One of them is enough.
        std::optional<SideProfile> profile, impulse;
        std::string firstError, secondError;
        try {
            profile = SideProfile::train(training.features(Side::left), training.features(Side::right), model);
        } catch (const std::exception& error) {
            firstError = error.what();
        }
        try {
            impulse = SideProfile::train(training.impulses(Side::left), training.impulses(Side::right), model);
        } catch (const std::exception& error) {
            secondError = error.what();
        }
        if (!profile && !impulse)
            return rejectCalibration("training-rejected", !firstError.empty() ? firstError
                                                          : !secondError.empty() ? secondError
                                                                                 : "nieznany błąd",
                                     t);
        const std::string parts = profile && impulse ? "atak + impuls" : profile ? "atak" : "impuls";
        LightSideProfile light(std::move(profile), std::move(impulse), detector_.config().accent);
        journalStatus("training-passed", shortestDecimal(light.validationAccuracy()));
        environment_.log(lines::lightModelTrained(parts, light.validationAccuracy()));
        pendingLightProfile_ = light;
        logAll(calibration_->beginVerification(
            [light = std::move(light)](const SideFeatures& features, const std::optional<SideFeatures>& impulses) {
                return light.predict(features, impulses);
            },
            t));
        return;
    }
    try {
        pendingSideProfile_ =
            SideProfile::train(training.features(Side::left), training.features(Side::right), model);
    } catch (const std::exception& error) {
        return rejectCalibration("training-rejected", error.what(), t);
    }
    journalStatus("training-passed", shortestDecimal(pendingSideProfile_->validationAccuracy));
    environment_.log(lines::sideModelTrained(pendingSideProfile_->validationAccuracy));
    logAll(calibration_->beginVerification(*pendingSideProfile_, t));
}

void Session::finishVerification(const SideVerification& verification, double t) {
    const int left = verification.leftCorrect;
    const int right = verification.rightCorrect;
    const bool light = options_.calibrateLight;
    const bool pending = light ? pendingLightProfile_.has_value() : pendingSideProfile_.has_value();
    // The capture judged the verification taps with the pending model.
    if (!verification.passed() || !pending)
        return rejectCalibration("verification-rejected", lines::verificationMissed(left, right), t);
    try {
        if (light) {
            pendingLightProfile_->save(environment_.calibration.lightProfile);
            detector_.setLightSideProfile(*pendingLightProfile_);
        } else {
            pendingSideProfile_->save(environment_.calibration.sideProfile);
            detector_.setSideProfile(*pendingSideProfile_);
        }
    } catch (const CalibrationError& error) {
        // Taps cannot mend a folder or a disk: another attempt would fail the
        // same way, so the run ends here and says why.
        if (error.kind() == CalibrationError::Kind::writeFailed) return failSave(error.message());
        return rejectCalibration("verification-rejected", error.what(), t);
    } catch (const std::exception& error) {
        return rejectCalibration("verification-rejected", error.what(), t);
    }
    calibration_->markComplete();
    pendingSideProfile_.reset();
    pendingLightProfile_.reset();
    journalStatus("profile-saved", std::to_string(left + right) + "/6 independent hits");
    environment_.log(lines::profileSaved(light, left, right));
}

// A verified profile that could not be saved: the old profile file stays.
void Session::failSave(const std::string& description) {
    pendingSideProfile_.reset();
    pendingLightProfile_.reset();
    journalStatus("profile-save-failed", description);
    fail(description);
}

// A fit or a verification that failed: nothing is kept, the old profile file
// stays, and the capture starts over after its pause.
void Session::rejectCalibration(std::string_view status, const std::string& description, double t) {
    pendingSideProfile_.reset();
    pendingLightProfile_.reset();
    journalStatus(status, description);
    environment_.log(lines::profileNotSaved(description));
    logAll(calibration_->retry(t));
}

void Session::journalStatus(std::string_view status, const std::string& detail) {
    if (!calibrationJournal_) return;
    try {
        calibrationJournal_->status(status, detail);
    } catch (const std::exception& error) {
        environment_.log(lines::journalWriteFailed(error.what()));
    }
}

}  // namespace knockbox
