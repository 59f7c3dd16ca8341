#pragma once
// The MacBook drawing's motion as functions of time: a hand demonstrating the
// tap over and over (a cycle of 2.65 s for firm taps, 2.35 s for gentle
// ones), the case giving a little under it, and the glow ("energy") after a
// demonstrated or a counted tap.

#include <optional>

#include "core/side.h"

namespace knockbox {

inline constexpr double firmTapCycle = 2.65;
inline constexpr double lightTapCycle = 2.35;
inline constexpr double acceptedGlowTime = 0.8;   // a counted tap glows this long (s)
inline constexpr double acceptedMarkTime = 0.55;  // and marks the palm rest this long (s)
inline constexpr double reducedHandHeight = 10;   // the still hand's height with reduced motion

// u²·(3 − 2u) with u clamped to [0, 1].
double smoothstep(double u);

// Where in the demonstration cycle `time` (seconds) lies, in [0, 1).
double tapPhase(double time, bool light);
// How far the hand is lifted, 0 (touching) to 1, at phase p.
double tapLift(double p);
// The squash at contact, 0 to 1.
double contactPulse(double p);
// How far the case gives (design points) at phase p.
double caseDip(double p, bool light);
// The demonstration marks the palm rest while the hand is down.
bool demonstrationContact(double p);

// The hand: its height above the palm rest (design points) and its scale;
// scaleX is negative for the left hand (the drawing of the right hand mirrored).
struct HandPose {
    double height;
    double scaleX;
    double scaleY;
};
// At phase p of the demonstration; without a phase (reduced motion) the hand
// rests still at reducedHandHeight.
HandPose handPose(std::optional<double> phase, bool light, Side side);

// The hand's shadow on the case: an ellipse, blurred, black at `opacity`.
struct HandShadow {
    double width;
    double height;
    double blur;
    double opacity;
};
HandShadow handShadow(double handHeight);

// The glow of case and screen, 0 to 1: after a counted tap (seconds since it
// arrived) and during the demonstration (its phase), whichever is brighter.
double tapEnergy(std::optional<double> sinceCountedTap, std::optional<double> phase, bool light);

}  // namespace knockbox
