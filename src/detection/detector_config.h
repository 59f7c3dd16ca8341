#pragma once
// The detector's settings.

#include "core/side.h"

namespace knockbox {

struct DetectorConfig {
    double threshold = 0.05;      // g: minimum dynamic acceleration for an onset
    double cooldown = 0.12;       // s: minimum time from one onset to the next
    double accent = 0.16;         // g: firm at or above, gentle below
    double fullVelocity = 0.50;   // g: peak at which the velocity reaches 1
    bool invertSides = false;     // swap left and right after classification
    double sideBias = 0.0;        // g: added to the first-lobe X mean before the side vote
    double typingSuppress = 0.45; // s: typing window of the caller's guard

    friend bool operator==(const DetectorConfig&, const DetectorConfig&) = default;
};

}  // namespace knockbox
