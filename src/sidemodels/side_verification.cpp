#include "sidemodels/side_verification.h"

namespace knockbox {
namespace {

constexpr double tolerance = 1e-12;

}  // namespace

bool SideVerification::passed() const {
    if (leftCount < 3 || rightCount < 3) return false;
    const double overall = static_cast<double>(leftCorrect + rightCorrect) / (leftCount + rightCount);
    return overall >= 5.0 / 6.0 - tolerance &&
           static_cast<double>(leftCorrect) / leftCount >= 2.0 / 3.0 - tolerance &&
           static_cast<double>(rightCorrect) / rightCount >= 2.0 / 3.0 - tolerance;
}

}  // namespace knockbox
