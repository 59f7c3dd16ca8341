#include "app/views/macbook_motion.h"

#include <algorithm>
#include <cmath>

namespace knockbox {
namespace {

double square(double x) { return x * x; }

}  // namespace

double smoothstep(double u) {
    u = std::clamp(u, 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

double tapPhase(double time, bool light) {
    const double cycle = light ? lightTapCycle : firmTapCycle;
    const double within = std::fmod(time, cycle);
    return (within < 0 ? within + cycle : within) / cycle;
}

double tapLift(double p) {
    if (p < 0.3) return 1;
    if (p < 0.54) return 1 - smoothstep((p - 0.3) / 0.24);
    if (p < 0.59) return 0;
    if (p < 0.8) return smoothstep((p - 0.59) / 0.21);
    return 1;
}

double contactPulse(double p) { return std::exp(-square((p - 0.565) / 0.03)); }

double caseDip(double p, bool light) { return std::exp(-square((p - 0.55) / 0.035)) * (light ? 0.25 : 0.65); }

bool demonstrationContact(double p) { return p >= 0.54 && p < 0.78; }

HandPose handPose(std::optional<double> phase, bool light, Side side) {
    const double height = phase ? tapLift(*phase) * (light ? 16 : 30) : reducedHandHeight;
    const double pulse = phase ? contactPulse(*phase) : 0;
    const double overall = 1.3 + 0.012 * height;
    const double mirror = side == Side::left ? -1 : 1;
    return {height, mirror * overall * (1 + 0.06 * pulse), 0.7 * overall * (1 - 0.14 * pulse)};
}

HandShadow handShadow(double handHeight) {
    const double width = 30 + handHeight * 0.5;
    return {width, 0.36 * width, 2 + handHeight * 0.18, std::max(0.08, 0.34 - 0.008 * handHeight)};
}

double tapEnergy(std::optional<double> sinceCountedTap, std::optional<double> phase, bool light) {
    double energy = 0;
    if (sinceCountedTap && *sinceCountedTap >= 0 && *sinceCountedTap < acceptedGlowTime)
        energy = std::exp(-4 * *sinceCountedTap);
    if (phase && *phase >= 0.54) energy = std::max(energy, std::exp(-9 * (*phase - 0.54)) * (light ? 0.5 : 0.9));
    return energy;
}

}  // namespace knockbox
