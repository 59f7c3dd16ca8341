#include "app/views/drum_kit_motion.h"

#include <algorithm>
#include <cmath>

namespace knockbox {

std::optional<double> hitAge(const DrumHits& hits, Drum drum, double now) {
    const auto hit = hits.find(drum);
    if (hit == hits.end()) return std::nullopt;
    const double age = now - hit->second.time;
    if (age < 0 || age >= hitSettle) return std::nullopt;
    return age;
}

double hitStrength(const DrumHits& hits, Drum drum) {
    const auto hit = hits.find(drum);
    return std::min(hit == hits.end() ? defaultHitStrength : hit->second.velocity, 1.0);
}

std::array<std::optional<HeadRing>, 3> headRings(double age, double strength) {
    std::array<std::optional<HeadRing>, 3> rings;
    const double p = 1.9 * age;
    for (std::size_t k = 0; k < rings.size(); ++k) {
        const double pk = p - 0.13 * static_cast<double>(k);
        if (pk <= 0 || pk >= 1) continue;
        rings[k] = HeadRing{pk + 0.12, (1 - pk) * 0.75 * strength, 2.2 - 1.4 * pk};
    }
    return rings;
}

double dentOpacity(double age, double strength, double flex) { return flex * std::exp(-18 * age) * 0.22 * strength; }

double headGlowOpacity(double age, double strength) { return std::exp(-5 * age) * 0.42 * strength; }

HiHatPose hiHatPose(std::optional<double> age, double strength, bool reduceMotion) {
    if (!age || reduceMotion) return {};
    const double a = *age;
    const double energy = strength * std::exp(-3.2 * a);
    return {118 + strength * std::exp(-25 * a) * 2.5, 0.13 * std::sin(24 * a) * energy,
            0.26 + 0.16 * std::cos(19 * a) * energy, 3 * a, 0.35 * strength * std::exp(-4 * a)};
}

std::optional<StickPose> stickPose(double restingAngle, std::optional<double> age, double strength) {
    if (!age || *age >= stickVisible) return std::nullopt;
    const double a = *age;
    // The tom's stick comes from the other side, so it swings the other way.
    const double direction = restingAngle >= -1.6 ? 1.0 : -1.0;
    return StickPose{restingAngle + direction * (1 - std::exp(-9 * a)) * 0.45 * strength,
                     std::max(0.0, 1 - a / stickVisible)};
}

}  // namespace knockbox
