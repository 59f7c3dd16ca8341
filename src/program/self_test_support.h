#pragma once
// What the self-test's groups share: simulated recordings played through a
// tap detector, and the differences between its hits and the placed taps.

#include <string>
#include <string_view>
#include <vector>

#include "detection/tap_detector.h"
#include "simulation/tap_simulation.h"

namespace knockbox::selfcheck {

struct Played {
    std::vector<Hit> hits;
    std::vector<std::string_view> models;  // the side model that judged each hit
    double origin = 0;                     // s: the first sample's time
};

// The scene's samples through `detector`, as the player plays them: nothing
// counts in the first 2 s.
Played play(const simulation::Scene& scene, TapDetector detector = TapDetector());

// Each placed tap not found, found more than once, or on another side or drum
// (or of uncertain side), then each hit without a tap; times from `origin`.
std::vector<std::string> hitDifferences(const std::vector<Hit>& hits,
                                        const std::vector<simulation::IntendedHit>& intended, double origin);

// The first few problems joined, and how many more there are.
std::string listed(const std::vector<std::string>& problems);

}  // namespace knockbox::selfcheck
