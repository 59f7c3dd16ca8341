#include "calibration/calibration_capture.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/number_text.h"

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
constexpr double leastConfidence = 0.6;

constexpr std::string_view blockDone = "Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo.";
constexpr std::string_view trainingDone =
    "Trening zebrany: po 8 uderzeń na stronę. Profil wymaga jeszcze niezależnej weryfikacji.";
constexpr std::string_view verificationStart =
    "Weryfikacja: teraz sprawdzimy po 3 NOWE uderzenia na stronę. Odczekaj 1,2 s na polecenie dla LEWEJ. "
    "Te uderzenia nie uczą modelu.";
constexpr std::string_view retryStart = "Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian.";

Side sideOf(int block) { return block % 2 == 0 ? Side::left : Side::right; }

int countOf(const std::vector<CalibrationCapture::Observation>& list, Side side) {
    return static_cast<int>(std::count_if(list.begin(), list.end(), [side](const auto& o) { return o.side == side; }));
}

std::vector<SideFeatures> featuresOf(const std::vector<CalibrationCapture::Observation>& list, Side side) {
    std::vector<SideFeatures> features;
    for (const auto& observation : list)
        if (observation.side == side) features.push_back(observation.features);
    return features;
}

std::vector<SideFeatures> impulsesOf(const std::vector<CalibrationCapture::Observation>& list, Side side) {
    std::vector<SideFeatures> impulses;
    for (const auto& observation : list)
        if (observation.side == side && observation.impulse) impulses.push_back(*observation.impulse);
    return impulses;
}

bool usableFeatures(const SideFeatures& features) {
    return features.values.size() == SideProfile::featureCount &&
           std::all_of(features.values.begin(), features.values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

bool CalibrationCapture::Observation::isCorrect() const {
    return predictedSide == side && isReliable == true && isOutOfDistribution == false && confidence &&
           *confidence >= leastConfidence;
}

std::vector<SideFeatures> CalibrationCapture::Training::leftImpulse() const {
    return impulsesOf(observations, Side::left);
}

std::vector<SideFeatures> CalibrationCapture::Training::rightImpulse() const {
    return impulsesOf(observations, Side::right);
}

double CalibrationCapture::Verification::accuracy() const {
    return static_cast<double>(correctLeft + correctRight) / std::max(total(), 1);
}

bool CalibrationCapture::Verification::passed() const {
    return total() == verificationBlocks * verificationBlockSize && correctLeft >= 2 && correctRight >= 2 &&
           correctLeft + correctRight >= 5;
}

std::optional<CalibrationCapture::Result::Completed> CalibrationCapture::Result::completed() const {
    if (!training) return std::nullopt;
    return Completed{training->left, training->right};
}

CalibrationCapture::CalibrationCapture(Kind kind, double accent, double threshold)
    : kind_(kind), accent_(accent), threshold_(threshold) {}

std::string CalibrationCapture::prompt(Stage stage, int block) const {
    const bool training = stage == Stage::training;
    std::string text = training ? "Trening — blok " : "Weryfikacja — blok ";
    text += std::to_string(block + 1) + (training ? "/4" : "/2");
    text += ": klepnij ";
    text += sideOf(block) == Side::left ? "LEWĄ" : "PRAWĄ";
    text += " stronę ";
    text += std::to_string(training ? trainingBlockSize : verificationBlockSize);
    text += " razy ";
    switch (kind_) {
        case Kind::standard: text += "z trochę różną siłą"; break;
        case Kind::strong: text += "mocniej (peak >= " + fixed(accent_, 3) + " g)"; break;
        case Kind::light:
            text += "delikatnie (peak >= " + fixed(threshold_, 3) + " g i < " + fixed(accent_, 3) + " g)";
            break;
    }
    text += ", co około pół sekundy. Audio podczas kalibracji jest wyciszone.";
    return text;
}

void CalibrationCapture::startBlock(Stage stage, int block, double now, std::vector<std::string>& messages) {
    phase_ = Collecting{stage, block};
    acceptAfter_ = now;  // a tap begun before the prompt was seen never counts
    messages.push_back(prompt(stage, block));
}

std::vector<std::string> CalibrationCapture::advance(double now) {
    std::vector<std::string> messages;
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

std::optional<std::string> CalibrationCapture::refusal(const Hit& hit) const {
    if (!std::isfinite(threshold_) || !std::isfinite(accent_) || threshold_ <= 0 || threshold_ >= accent_)
        return "niepoprawny zakres siły kalibracji; próbka pominięta.";
    if (hit.peak < threshold_)
        return "peak " + fixed(hit.peak, 3) + " g jest poniżej progu " + fixed(threshold_, 3) + " g; próbka pominięta.";
    if (kind_ == Kind::strong && hit.peak < accent_)
        return "peak " + fixed(hit.peak, 3) + " g jest za mały do mocnej kalibracji (wymagane >= " + fixed(accent_, 3) +
               " g). Klepnij trochę mocniej; dotychczasowe próbki zachowane.";
    if (kind_ == Kind::light && hit.peak >= accent_)
        return "peak " + fixed(hit.peak, 3) + " g jest za duży do lekkiej kalibracji (wymagane < " + fixed(accent_, 3) +
               " g). Klepnij delikatniej; dotychczasowe próbki zachowane.";
    if (hit.t - lastAccepted_ < closestTaps) return "próbka pominięta; zachowaj co najmniej 0,35 s między uderzeniami.";
    if (!usableFeatures(hit.features)) return "brak poprawnych danych sensora; próbka pominięta.";
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
    const std::string label = std::string(side == Side::left ? "LEWA " : "PRAWA ") +
                              std::to_string(countOf(list, side) + 1) + "/" + std::to_string(perSide);

    if (auto reason = refusal(hit)) {
        result.messages.push_back(label + ": " + *reason);
        result.rejection = std::move(reason);
        return result;
    }

    Observation observation{stage, side, hit.t, hit.peak, hit.features, hit.side, {}, {}, {}, {}, hit.impulse};
    if (stage == Stage::verification && verificationPredictor_) {
        if (const auto prediction = verificationPredictor_(hit.features, hit.impulse)) {
            observation.predictedSide = prediction->side;
            observation.confidence = prediction->confidence;
            observation.isReliable = prediction->isReliable;
            observation.isOutOfDistribution = prediction->isOutOfDistribution;
        }
    }
    lastAccepted_ = hit.t;
    list.push_back(observation);

    std::string message = label + ": peak " + fixed(hit.peak, 3) + " g";
    if (stage == Stage::verification)
        message += observation.isCorrect() ? " · weryfikacja OK" : " · weryfikacja: strona niepewna lub błędna";
    result.messages.push_back(std::move(message));
    result.observation = std::move(observation);

    const int sideCount = countOf(list, side);
    if (stage == Stage::training && sideCount - trainingBlockSize * (block / 2) >= trainingBlockSize) {
        acceptAfter_ = std::numeric_limits<double>::infinity();
        if (block < trainingBlocks - 1) {
            phase_ = Pause{Stage::training, block + 1, hit.t + pauseLength};
            result.messages.emplace_back(blockDone);
        } else {
            phase_ = AwaitingTraining{};
            result.training = Training{featuresOf(list, Side::left), featuresOf(list, Side::right), list};
            result.messages.emplace_back(trainingDone);
        }
    } else if (stage == Stage::verification && sideCount >= verificationBlockSize) {
        acceptAfter_ = std::numeric_limits<double>::infinity();
        if (block < verificationBlocks - 1) {
            phase_ = Pause{Stage::verification, block + 1, hit.t + pauseLength};
            result.messages.emplace_back(blockDone);
        } else {
            Verification verification{0, 0, list};
            for (const Observation& o : list)
                if (o.isCorrect()) ++(o.side == Side::left ? verification.correctLeft : verification.correctRight);
            phase_ = AwaitingVerificationDecision{verification.passed()};
            result.verification = std::move(verification);
        }
    }
    return result;
}

std::vector<std::string> CalibrationCapture::beginVerification(const SideProfile& profile, double now) {
    return beginVerification(
        [profile](const SideFeatures& features, const std::optional<SideFeatures>&) { return profile.predict(features); },
        now);
}

std::vector<std::string> CalibrationCapture::beginVerification(Predictor predictor, double now) {
    if (!std::isfinite(now) || !std::holds_alternative<AwaitingTraining>(phase_)) return {};
    verificationPredictor_ = std::move(predictor);
    verificationObservations_.clear();
    phase_ = Pause{Stage::verification, 0, std::max(now, lastAccepted_) + pauseLength};
    acceptAfter_ = std::numeric_limits<double>::infinity();
    return {std::string(verificationStart)};
}

std::vector<std::string> CalibrationCapture::retry(double now) {
    if (!std::isfinite(now)) return {};
    trainingObservations_.clear();
    verificationObservations_.clear();
    verificationPredictor_ = nullptr;
    lastAccepted_ = -std::numeric_limits<double>::infinity();
    acceptAfter_ = std::numeric_limits<double>::infinity();
    phase_ = RetryPause{now + pauseLength};
    return {std::string(retryStart)};
}

void CalibrationCapture::markComplete() {
    if (const auto* decision = std::get_if<AwaitingVerificationDecision>(&phase_); decision && decision->passed)
        phase_ = Complete{};
}

std::vector<CalibrationCapture::Observation> CalibrationCapture::observations() const {
    std::vector<Observation> all = trainingObservations_;
    all.insert(all.end(), verificationObservations_.begin(), verificationObservations_.end());
    return all;
}

CalibrationCapture::Progress CalibrationCapture::progress() const {
    const auto block = [this](Stage stage, int number, bool collecting) {
        const Side side = sideOf(number);
        if (stage == Stage::training) {
            const int count = countOf(trainingObservations_, side);
            return Progress{trainingLabel, side, count, trainingPerSide,
                            std::max(0, count - trainingBlockSize * (number / 2)), trainingBlockSize,
                            static_cast<int>(trainingObservations_.size()), 2 * trainingPerSide, collecting};
        }
        const int count = countOf(verificationObservations_, side);
        return Progress{verificationLabel, side, count, verificationPerSide, count, verificationBlockSize,
                        static_cast<int>(verificationObservations_.size()), 2 * verificationPerSide, collecting};
    };
    if (const auto* collecting = std::get_if<Collecting>(&phase_)) return block(collecting->stage, collecting->block, true);
    if (const auto* pause = std::get_if<Pause>(&phase_)) return block(pause->stage, pause->block, false);
    if (std::holds_alternative<AwaitingTraining>(phase_))
        return Progress{trainingLabel, std::nullopt, trainingPerSide, trainingPerSide, trainingBlockSize,
                        trainingBlockSize, static_cast<int>(trainingObservations_.size()), 2 * trainingPerSide, false};
    if (std::holds_alternative<AwaitingVerificationDecision>(phase_) || std::holds_alternative<Complete>(phase_))
        return Progress{verificationLabel, std::nullopt, verificationPerSide, verificationPerSide, verificationBlockSize,
                        verificationBlockSize, static_cast<int>(verificationObservations_.size()),
                        2 * verificationPerSide, false};
    // Awaiting the start or a retry: the left side of the first block, nothing collected.
    return Progress{trainingLabel, Side::left, 0, trainingPerSide, 0, trainingBlockSize, 0, 2 * trainingPerSide, false};
}

}  // namespace knockbox
