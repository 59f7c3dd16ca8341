#pragma once
// Side and impulse signatures of simulated taps, as the detector measures
// them: training and verification sets for the side models.

#include <cstdint>
#include <optional>
#include <vector>

#include "detection/side_features.h"
#include "simulation/tap_simulation.h"

namespace knockbox::test {

struct SideSet {
    std::vector<SideFeatures> features;
    std::vector<std::optional<SideFeatures>> impulses;
    // The impulse signatures, each of which must exist.
    std::vector<SideFeatures> impulseFeatures() const;
};

struct SignatureSet {
    SideSet left, right;
};

// `perSide` taps on each side, alternating and starting on the left, of the
// given strength (amplitudes spread over its band), labelled by the side
// they were placed on. With `sameSide` every tap is placed on the right and
// only the labels alternate: two sides that cannot be told apart.
SignatureSet simulatedSignatures(std::uint64_t seed, int perSide, simulation::Strength strength,
                                 bool gyro = true, bool sameSide = false);

}  // namespace knockbox::test
