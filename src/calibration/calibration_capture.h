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
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/side.h"
#include "detection/hit.h"
#include "detection/side_features.h"
#include "detection/side_model.h"
#include "sidemodels/side_profile.h"

namespace knockbox {

class CalibrationCapture {
public:
    // Which taps count: `standard` any tap at or above the threshold,
    // `strong` firm taps (peak ≥ accent), `light` gentle ones
    // (threshold ≤ peak < accent).
    enum class Kind { standard, strong, light };
    enum class Stage { training, verification };

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

    // Given a tap's side signature and its impulse signature, the side a
    // model sees; nothing when it has no opinion.
    using Predictor =
        std::function<std::optional<SidePrediction>(const SideFeatures&, const std::optional<SideFeatures>&)>;

    struct Observation {
        Stage stage = Stage::training;
        Side side = Side::left;  // the side the user was asked to tap
        double t = 0;            // s: the tap's onset
        double peak = 0;         // g
        SideFeatures features;
        Side detectorSide = Side::left;  // what the detector itself said
        // The verification predictor's answer; absent otherwise.
        std::optional<Side> predictedSide;
        std::optional<double> confidence;
        std::optional<bool> isReliable;
        std::optional<bool> isOutOfDistribution;
        std::optional<SideFeatures> impulse;

        // Predicted on its own side, reliably, inside the support, with
        // confidence ≥ 0.6.
        bool isCorrect() const;
        friend bool operator==(const Observation&, const Observation&) = default;
    };

    struct Training {
        std::vector<SideFeatures> left;
        std::vector<SideFeatures> right;
        std::vector<Observation> observations;

        // The impulse signatures present among that side's taps, in order.
        std::vector<SideFeatures> leftImpulse() const;
        std::vector<SideFeatures> rightImpulse() const;
    };

    struct Verification {
        int correctLeft = 0;
        int correctRight = 0;
        std::vector<Observation> observations;

        int total() const { return static_cast<int>(observations.size()); }
        double accuracy() const;
        // All six taps, at most one wrong, at least two right on each side.
        bool passed() const;
    };

    struct Result {
        std::vector<std::string> messages;
        std::optional<Training> training;          // once, when training completes
        std::optional<Verification> verification;  // once, when verification completes
        std::optional<Observation> observation;    // the tap just accepted
        std::optional<std::string> rejection;      // why the tap was refused

        struct Completed {
            std::vector<SideFeatures> left, right;
        };
        std::optional<Completed> completed() const;
    };

    struct Progress {
        std::string_view stageLabel;  // "Trening" or "Weryfikacja"
        std::optional<Side> side;     // the side asked for; none between stages
        int sideCount = 0;
        int sideTotal = 0;
        int blockCount = 0;
        int blockTotal = 0;
        int overallCount = 0;
        int overallTotal = 0;
        bool collecting = false;

        friend bool operator==(const Progress&, const Progress&) = default;
    };

    static constexpr std::string_view trainingLabel = "Trening";
    static constexpr std::string_view verificationLabel = "Weryfikacja";

    // `accent` and `threshold` in g, as the detector uses them.
    CalibrationCapture(Kind kind, double accent, double threshold);

    // The sensor time `now` has come: starts the first block, or the next
    // block after its pause, returning its prompt. Nothing else happens.
    std::vector<std::string> advance(double now);
    // A detected tap: ignored outside a block or before its prompt, refused
    // with one message, or accepted and counted.
    Result consume(const Hit& hit);
    // After a successful fit of the training: verification starts after its
    // own pause. Only while awaiting the training's fit.
    std::vector<std::string> beginVerification(const SideProfile& profile, double now);
    std::vector<std::string> beginVerification(Predictor predictor, double now);
    // Discards everything and starts training again after a pause.
    std::vector<std::string> retry(double now);
    // A passed verification was saved: the calibration is complete.
    void markComplete();

    bool isComplete() const { return std::holds_alternative<Complete>(phase_); }
    // Training observations, then verification observations.
    std::vector<Observation> observations() const;
    const std::vector<Observation>& trainingObservations() const { return trainingObservations_; }
    const std::vector<Observation>& verificationObservations() const { return verificationObservations_; }
    Progress progress() const;

    Kind kind() const { return kind_; }
    const Phase& phase() const { return phase_; }

private:
    std::string prompt(Stage stage, int block) const;
    void startBlock(Stage stage, int block, double now, std::vector<std::string>& messages);
    std::optional<std::string> refusal(const Hit& hit) const;

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
