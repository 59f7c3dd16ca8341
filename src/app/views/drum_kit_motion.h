#pragma once
// The drum kit's hit animation as functions of a hit's age (seconds since the
// hit) and strength (its velocity, capped at 1). Kept apart from the drawing
// so any instant can be computed, and checked, without painting.

#include <array>
#include <map>
#include <optional>

#include "core/drum.h"

namespace knockbox {

// The length of a hit animation, seconds.
inline constexpr double hitSettle = 1.6;
// Velocity of a drum whose hit carries none.
inline constexpr double defaultHitStrength = 0.7;

// One drum's last hit.
struct HitState {
    double time = 0;      // seconds, on the view's clock
    double velocity = 0;  // 0 to 1
};
using DrumHits = std::map<Drum, HitState>;

// Seconds since the drum's hit; nothing without a hit, or when the age is
// negative or at least hitSettle.
std::optional<double> hitAge(const DrumHits& hits, Drum drum, double now);
// The hit's velocity (defaultHitStrength without a hit), capped at 1.
double hitStrength(const DrumHits& hits, Drum drum);

// A ring spreading over a struck head: an ellipse `scale` times the head's
// width and height, stroked at `opacity` with `lineWidth`.
struct HeadRing {
    double scale;
    double opacity;
    double lineWidth;
};
// The three rings at an age; a ring is absent before it starts and after it ends.
std::array<std::optional<HeadRing>, 3> headRings(double age, double strength);
// Opacity at the centre of the dent's shadow; `flex` is how much the head gives.
double dentOpacity(double age, double strength, double flex);
// Opacity at the centre of the additive glow over a struck head.
double headGlowOpacity(double age, double strength);

// The upper hi-hat cymbal (its centre's y in design points, its tilt in
// radians, its height factor k: the ellipse is 2 × 66 × k high, its sheen's
// angle in radians) and its gold glow's opacity.
struct HiHatPose {
    double centerY = 118;
    double rotation = 0;
    double k = 0.26;
    double gradientAngle = 0;
    double glowOpacity = 0;
};
// The resting pose without an age or with reduced motion.
HiHatPose hiHatPose(std::optional<double> age, double strength, bool reduceMotion);

// A stick striking a drum: its angle about its tip (radians) and opacity.
struct StickPose {
    double angle;
    double opacity;
};
inline constexpr double stickVisible = 0.45;  // seconds a stick stays after a hit
// Nothing when the stick is not drawn (no age, or past stickVisible).
std::optional<StickPose> stickPose(double restingAngle, std::optional<double> age, double strength);

}  // namespace knockbox
