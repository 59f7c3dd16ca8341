#pragma once
// The guided side calibration as a state machine: which palm rest to tap and
// how often, which taps count, and when training and the independent
// verification are complete.
//
// One calibration: training in 4 blocks of 4 taps (left, right, left, right),
// a fit by the caller, then verification in 2 blocks of 3 new taps (left,
// right) judged by the fitted model, then completion or a retry from the
// start. Blocks are separated by 1.2 s pauses; taps closer than 0.35 s to the
// previous accepted one are refused. Accepted taps carry the side the user
// was asked to tap, never a side the detector or a model guessed.
//
// Pure logic: no clock of its own (the caller feeds the sensor time of every
// sample to `advance`), no sensor, no files, no fitting. One thread.

#include <functional>
#include <limits>
#include <optional>
#include <variant>
#include <vector>

#include "core/calibration_message.h"
#include "core/side.h"
#include "detection/hit.h"
#include "detection/side_features.h"
#include "detection/side_model.h"
#include "sidemodels/side_profile.h"
#include "sidemodels/side_verification.h"

namespace knockbox {

class CalibrationCapture {
public:
    using Kind = CalibrationKind;
    enum class Stage { training, verification };

    // Given a tap's side signature and its impulse signature, the side a
    // model sees; nothing when it has no opinion.
    using Predictor =
        std::function<std::optional<SidePrediction>(const SideFeatures&, const std::optional<SideFeatures>&)>;

    struct Observation {
        Stage stage = Stage::training;
        Side side = Side::left;  // the side the user was asked to tap
        SideFeatures features;
        std::optional<SideFeatures> impulse;
        std::optional<SidePrediction> prediction;  // the verification model's answer

        // The verification model put the tap confidently on its own side.
        bool isCorrect() const { return confidentlyOn(prediction, side); }
        friend bool operator==(const Observation&, const Observation&) = default;
    };

    // The training taps, in order; what a fit needs of them.
    struct Training {
        std::vector<Observation> observations;

        std::vector<SideFeatures> features(Side side) const;
        // The impulse signatures present among that side's taps.
        std::vector<SideFeatures> impulses(Side side) const;
    };

    struct Result {
        std::vector<CalibrationMessage> messages;
        std::optional<Observation> observation;  // the tap just accepted
        std::optional<Training> training;        // once, when training completes
        // Once, when verification completes: the taps the verification model
        // put confidently on their own side.
        std::optional<SideVerification> verification;
    };

    // What the calibration shows of itself.
    struct Progress {
        Stage stage = Stage::training;
        std::optional<Side> side;  // the side asked for; none between stages
        int leftCount = 0;         // taps of this stage on each side
        int rightCount = 0;
        int perSide = 0;           // taps this stage needs on each side
        int blockRemaining = 0;    // taps still missing in the block
        bool collecting = false;   // a block is open

        friend bool operator==(const Progress&, const Progress&) = default;
    };

    // `accent` and `threshold` in g, as the detector uses them.
    CalibrationCapture(Kind kind, double accent, double threshold);

    // The sensor time `now` has come: starts the first block, or the next
    // block after its pause, returning its prompt. Nothing else happens.
    std::vector<CalibrationMessage> advance(double now);
    // A detected tap: ignored outside a block or before its prompt, refused
    // with one message, or accepted and counted.
    Result consume(const Hit& hit);
    // After a successful fit of the training: verification starts after its
    // own pause. Only while awaiting the training's fit.
    std::vector<CalibrationMessage> beginVerification(const SideProfile& profile, double now);
    std::vector<CalibrationMessage> beginVerification(Predictor predictor, double now);
    // Discards everything and starts training again after a pause.
    std::vector<CalibrationMessage> retry(double now);
    // A passed verification was saved: the calibration is complete.
    void markComplete();

    bool isComplete() const { return std::holds_alternative<Complete>(phase_); }
    const std::vector<Observation>& trainingObservations() const { return trainingObservations_; }
    const std::vector<Observation>& verificationObservations() const { return verificationObservations_; }
    Progress progress() const;

private:
    // Blocks are numbered from 0; even blocks are left, odd blocks right.
    struct Collecting {
        Stage stage;
        int block;
    };
    struct Pause {  // waiting before `block` starts
        Stage stage;
        int block;
        double until;  // s, sensor time
    };
    struct AwaitingVerificationDecision {
        bool passed;
    };
    struct RetryPause {
        double until;
    };
    struct AwaitingStart {};
    struct AwaitingTraining {};  // the caller fits and starts verification
    struct Complete {};
    using Phase = std::variant<Collecting, Pause, AwaitingVerificationDecision, RetryPause, AwaitingStart,
                               AwaitingTraining, Complete>;

    CalibrationPrompt prompt(Stage stage, int block) const;
    void startBlock(Stage stage, int block, double now, std::vector<CalibrationMessage>& messages);
    std::optional<CalibrationRefusal> refusal(const Hit& hit) const;

    Kind kind_;
    double accent_;
    double threshold_;
    Phase phase_ = AwaitingStart{};
    double lastAccepted_ = -std::numeric_limits<double>::infinity();
    double acceptAfter_ = std::numeric_limits<double>::infinity();
    Predictor verificationPredictor_;
    std::vector<Observation> trainingObservations_;
    std::vector<Observation> verificationObservations_;
};

constexpr std::string_view rawValue(CalibrationCapture::Stage stage) {
    return stage == CalibrationCapture::Stage::training ? "training" : "verification";
}

}  // namespace knockbox
