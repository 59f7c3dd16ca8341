#pragma once
// One "sensitivity" control for the three detection thresholds: it is read
// from the threshold and moves the threshold, lifting the accent and the full
// velocity where they would fall below it. It never lowers them.

#include "app/ui_settings.h"

namespace knockbox {

// 0 (least sensitive: threshold 0.15 g) to 1 (threshold 0.008 g, the
// player's lowest); thresholds outside that range read as the nearer end.
double sensitivity(const UISettings& settings);

// The settings with the threshold for `value` (clamped to [0, 1]); the accent
// lifted to at least 0.02 g above the threshold, the full velocity to at
// least twice the accent.
UISettings withSensitivity(UISettings settings, double value);

}  // namespace knockbox
