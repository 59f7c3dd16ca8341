#include "sidemodels/side_verification.h"

#include "sidemodels/calibration_error.h"
#include "sidemodels/side_profile.h"

namespace knockbox {
namespace {

constexpr double tolerance = 1e-12;

int confidentlyCorrect(const SideProfile& profile, std::span<const SideFeatures> taps, Side side) {
    int correct = 0;
    for (const SideFeatures& tap : taps) {
        const auto prediction = profile.predict(tap);
        if (prediction && prediction->side == side && prediction->isReliable && !prediction->isOutOfDistribution &&
            prediction->confidence >= 0.6)
            ++correct;
    }
    return correct;
}

}  // namespace

double SideVerification::accuracy() const {
    if (leftCount < 1 || rightCount < 1) return 0;
    return (static_cast<double>(leftCorrect) / leftCount + static_cast<double>(rightCorrect) / rightCount) / 2.0;
}

bool SideVerification::passed() const {
    if (leftCount < 3 || rightCount < 3) return false;
    const double overall = static_cast<double>(leftCorrect + rightCorrect) / (leftCount + rightCount);
    return overall >= 5.0 / 6.0 - tolerance &&
           static_cast<double>(leftCorrect) / leftCount >= 2.0 / 3.0 - tolerance &&
           static_cast<double>(rightCorrect) / rightCount >= 2.0 / 3.0 - tolerance;
}

SideVerification SideProfile::evaluate(std::span<const SideFeatures> leftTaps,
                                       std::span<const SideFeatures> rightTaps) const {
    SideVerification verification;
    verification.leftCount = static_cast<int>(leftTaps.size());
    verification.rightCount = static_cast<int>(rightTaps.size());
    // An invalid profile predicts nothing, so nothing counts as correct.
    verification.leftCorrect = confidentlyCorrect(*this, leftTaps, Side::left);
    verification.rightCorrect = confidentlyCorrect(*this, rightTaps, Side::right);
    return verification;
}

SideVerification SideProfile::verify(std::span<const SideFeatures> leftTaps,
                                     std::span<const SideFeatures> rightTaps) const {
    if (!isValid()) throw CalibrationError(CalibrationError::Kind::invalidProfile);
    const SideVerification verification = evaluate(leftTaps, rightTaps);
    if (!verification.passed()) throw CalibrationError::failedVerification(verification);
    return verification;
}

}  // namespace knockbox
