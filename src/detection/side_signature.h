#pragma once
// From a tap's captured frames to its side signature and impulse signature.
// Runs once per tap, on at most about 42 ms of frames.

#include <array>
#include <optional>
#include <span>

#include "detection/detector_frame.h"
#include "detection/side_features.h"

namespace knockbox {

// Pre-onset means: filtered x, y, z (0–2) and gyroscope x, y, z (3–5).
using Baseline = std::array<double, 6>;

struct SideSignature {
    SideFeatures features;  // eight values, normalised by the attack norm
    double lobeMean = 0;    // g: mean of the first X lobe (the weighted mean X without a lobe)
    double meanX = 0;       // g: weighted mean X deviation of the first 18 ms
};

// The signature rests on the first lobe of the baseline-free X acceleration,
// whose sign tells the sides apart: a later, larger swing the other way never
// enters it. `attack` runs from `sideStart` in time order.
SideSignature sideSignature(std::span<const DetectorFrame> attack, const Baseline& baseline,
                            double sideStart, double noise, double peak);

// The impulse signature of the attack frames (acceleration only), or nothing
// with fewer than 6 frames, an all-zero attack or a non-finite value.
std::optional<SideFeatures> attackImpulse(std::span<const DetectorFrame> attack,
                                          const Baseline& baseline);
std::optional<SideFeatures> impulseFeatures(std::span<const double> times,
                                            std::span<const Axes> axes);

}  // namespace knockbox
