#pragma once
// One detected tap, and the two rules that turn its strength into sound.

#include <optional>

#include "core/drum.h"
#include "detection/detector_config.h"
#include "detection/side_features.h"

namespace knockbox {

struct Hit {
    double t = 0;  // s: sensor time of the onset sample
    Side side = Side::right;  // final side, after the model or heuristic and the inversion
    Drum drum = Drum::hihat;
    double peak = 0;          // g: largest dynamic magnitude in the attack window
    float velocity = 0.15f;   // loudness gain, 0.15–1
    double attackX = 0;       // g: signed side score, for diagnostics
    double sideConfidence = 0.5;  // 0.5–1
    SideFeatures features;
    bool sideReliable = true;  // false: report an uncertain side instead of playing
    std::optional<SideFeatures> impulse;

    friend bool operator==(const Hit&, const Hit&) = default;
};

// Left: kick below the accent, tom at or above; right: hi-hat and snare.
Drum drumFor(Side side, double peak, double accent);

// 0.15 at the capture threshold, rising with the square root of the peak's
// share of the way to `fullVelocity`, 1 from there on.
float tapVelocity(double peak, double captureThreshold, double fullVelocity);

}  // namespace knockbox
