#include "calibration/calibration_capture.h"

#include <algorithm>
#include <cmath>
#include <utility>


namespace knockbox {
namespace {

using Stage = CalibrationCapture::Stage;

constexpr int trainingBlocks = 4;
constexpr int trainingBlockSize = 4;
constexpr int trainingPerSide = 8;
constexpr int verificationBlocks = 2;
constexpr int verificationBlockSize = 3;
constexpr int verificationPerSide = 3;
constexpr double pauseLength = 1.2;        // s between blocks
constexpr double closestTaps = 0.349999999;  // s: 0.35 with room for the clock's rounding
constexpr double dueEarly = 0.000000001;   // s: a pause ends at its time despite rounding

Side sideOf(int block) { return block % 2 == 0 ? Side::left : Side::right; }

int countOf(const std::vector<CalibrationCapture::Observation>& list, Side side) {
    return static_cast<int>(std::count_if(list.begin(), list.end(), [side](const auto& o) { return o.side == side; }));
}

bool usableFeatures(const SideFeatures& features) {
    return features.values.size() == SideProfile::featureCount &&
           std::all_of(features.values.begin(), features.values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

std::vector<SideFeatures> CalibrationCapture::Training::features(Side side) const {
    std::vector<SideFeatures> features;
    for (const Observation& observation : observations)
        if (observation.side == side) features.push_back(observation.features);
    return features;
}

std::vector<SideFeatures> CalibrationCapture::Training::impulses(Side side) const {
    std::vector<SideFeatures> impulses;
    for (const Observation& observation : observations)
        if (observation.side == side && observation.impulse) impulses.push_back(*observation.impulse);
    return impulses;
}

CalibrationCapture::CalibrationCapture(Kind kind, double accent, double threshold)
    : kind_(kind), accent_(accent), threshold_(threshold) {}

CalibrationPrompt CalibrationCapture::prompt(Stage stage, int block) const {
    const bool training = stage == Stage::training;
    return {!training,
            block,
            training ? trainingBlocks : verificationBlocks,
            sideOf(block),
            training ? trainingBlockSize : verificationBlockSize,
            kind_,
            threshold_,
            accent_};
}

void CalibrationCapture::startBlock(Stage stage, int block, double now, std::vector<CalibrationMessage>& messages) {
    phase_ = Collecting{stage, block};
    acceptAfter_ = now;  // a tap begun before the prompt was seen never counts
    messages.push_back(prompt(stage, block));
}

std::vector<CalibrationMessage> CalibrationCapture::advance(double now) {
    std::vector<CalibrationMessage> messages;
    if (!std::isfinite(now)) return messages;
    if (std::holds_alternative<AwaitingStart>(phase_)) {
        startBlock(Stage::training, 0, now, messages);
    } else if (const auto* retrying = std::get_if<RetryPause>(&phase_); retrying && retrying->until - dueEarly <= now) {
        startBlock(Stage::training, 0, now, messages);
    } else if (const auto* pause = std::get_if<Pause>(&phase_); pause && pause->until - dueEarly <= now) {
        startBlock(pause->stage, pause->block, now, messages);
    }
    return messages;
}

std::optional<CalibrationRefusal> CalibrationCapture::refusal(const Hit& hit) const {
    using enum CalibrationRefusal;
    if (!std::isfinite(threshold_) || !std::isfinite(accent_) || threshold_ <= 0 || threshold_ >= accent_)
        return invalidBand;
    if (hit.peak < threshold_) return belowThreshold;
    if (kind_ == Kind::strong && hit.peak < accent_) return tooWeak;
    if (kind_ == Kind::light && hit.peak >= accent_) return tooStrong;
    if (hit.t - lastAccepted_ < closestTaps) return tooSoon;
    if (!usableFeatures(hit.features)) return unusableData;
    return std::nullopt;
}

CalibrationCapture::Result CalibrationCapture::consume(const Hit& hit) {
    Result result;
    const auto* collecting = std::get_if<Collecting>(&phase_);
    if (!collecting || !std::isfinite(hit.t) || !std::isfinite(hit.peak) || hit.t < acceptAfter_) return result;
    const Stage stage = collecting->stage;
    const int block = collecting->block;
    const Side side = sideOf(block);
    std::vector<Observation>& list = stage == Stage::training ? trainingObservations_ : verificationObservations_;
    const int perSide = stage == Stage::training ? trainingPerSide : verificationPerSide;
    const CalibrationTapLabel label{side, countOf(list, side) + 1, perSide};

    if (const auto reason = refusal(hit)) {
        result.messages.push_back(CalibrationTapRefused{label, *reason, hit.peak, threshold_, accent_});
        return result;
    }

    Observation observation{stage, side, hit.features, hit.impulse, std::nullopt};
    if (stage == Stage::verification && verificationPredictor_)
        observation.prediction = verificationPredictor_(hit.features, hit.impulse);
    lastAccepted_ = hit.t;
    list.push_back(observation);

    CalibrationTapCounted counted{label, hit.peak, std::nullopt};
    if (stage == Stage::verification) counted.verified = observation.isCorrect();
    result.messages.push_back(counted);
    result.observation = std::move(observation);

    const int sideCount = countOf(list, side);
    if (stage == Stage::training && sideCount - trainingBlockSize * (block / 2) >= trainingBlockSize) {
        acceptAfter_ = std::numeric_limits<double>::infinity();
        if (block < trainingBlocks - 1) {
            phase_ = Pause{Stage::training, block + 1, hit.t + pauseLength};
            result.messages.push_back(CalibrationStep::blockDone);
        } else {
            phase_ = AwaitingTraining{};
            result.training = Training{list};
            result.messages.push_back(CalibrationStep::trainingDone);
        }
    } else if (stage == Stage::verification && sideCount >= verificationBlockSize) {
        acceptAfter_ = std::numeric_limits<double>::infinity();
        if (block < verificationBlocks - 1) {
            phase_ = Pause{Stage::verification, block + 1, hit.t + pauseLength};
            result.messages.push_back(CalibrationStep::blockDone);
        } else {
            SideVerification verification{0, 0, verificationPerSide, verificationPerSide};
            for (const Observation& o : list)
                if (o.isCorrect()) ++(o.side == Side::left ? verification.leftCorrect : verification.rightCorrect);
            phase_ = AwaitingVerificationDecision{verification.passed()};
            result.verification = verification;
        }
    }
    return result;
}

std::vector<CalibrationMessage> CalibrationCapture::beginVerification(const SideProfile& profile, double now) {
    return beginVerification(
        [profile](const SideFeatures& features, const std::optional<SideFeatures>&) { return profile.predict(features); },
        now);
}

std::vector<CalibrationMessage> CalibrationCapture::beginVerification(Predictor predictor, double now) {
    if (!std::isfinite(now) || !std::holds_alternative<AwaitingTraining>(phase_)) return {};
    verificationPredictor_ = std::move(predictor);
    verificationObservations_.clear();
    phase_ = Pause{Stage::verification, 0, std::max(now, lastAccepted_) + pauseLength};
    acceptAfter_ = std::numeric_limits<double>::infinity();
    return {CalibrationStep::verificationStarts};
}

std::vector<CalibrationMessage> CalibrationCapture::retry(double now) {
    if (!std::isfinite(now)) return {};
    trainingObservations_.clear();
    verificationObservations_.clear();
    verificationPredictor_ = nullptr;
    lastAccepted_ = -std::numeric_limits<double>::infinity();
    acceptAfter_ = std::numeric_limits<double>::infinity();
    phase_ = RetryPause{now + pauseLength};
    return {CalibrationStep::retryStarts};
}

void CalibrationCapture::markComplete() {
    if (const auto* decision = std::get_if<AwaitingVerificationDecision>(&phase_); decision && decision->passed)
        phase_ = Complete{};
}

CalibrationCapture::Progress CalibrationCapture::progress() const {
    const auto of = [](Stage stage, const std::vector<Observation>& list, std::optional<Side> side, int perSide,
                       int blockRemaining, bool collecting) {
        return Progress{stage, side, countOf(list, Side::left), countOf(list, Side::right), perSide,
                        std::max(0, blockRemaining), collecting};
    };
    const auto block = [&](Stage stage, int number, bool collecting) {
        const Side side = sideOf(number);
        if (stage == Stage::training) {
            // The block's taps are those of its side beyond the earlier blocks of that side.
            const int inBlock = std::max(0, countOf(trainingObservations_, side) - trainingBlockSize * (number / 2));
            return of(stage, trainingObservations_, side, trainingPerSide, trainingBlockSize - inBlock, collecting);
        }
        return of(stage, verificationObservations_, side, verificationPerSide,
                  verificationBlockSize - countOf(verificationObservations_, side), collecting);
    };
    if (const auto* collecting = std::get_if<Collecting>(&phase_)) return block(collecting->stage, collecting->block, true);
    if (const auto* pause = std::get_if<Pause>(&phase_)) return block(pause->stage, pause->block, false);
    if (std::holds_alternative<AwaitingTraining>(phase_))
        return of(Stage::training, trainingObservations_, std::nullopt, trainingPerSide, 0, false);
    if (std::holds_alternative<AwaitingVerificationDecision>(phase_) || std::holds_alternative<Complete>(phase_))
        return of(Stage::verification, verificationObservations_, std::nullopt, verificationPerSide, 0, false);
    // Awaiting the start or a retry: the left side of the first block, nothing collected.
    return of(Stage::training, trainingObservations_, Side::left, trainingPerSide, trainingBlockSize, false);
}

}  // namespace knockbox
