#include "app/views/sensitivity.h"

#include <algorithm>

namespace knockbox {
namespace {

constexpr double leastSensitive = 0.15;  // g
constexpr double range = 0.142;          // g, down to the player's lowest threshold, 0.008 g

}  // namespace

double sensitivity(const UISettings& settings) {
    return std::clamp((leastSensitive - settings.threshold) / range, 0.0, 1.0);
}

UISettings withSensitivity(UISettings settings, double value) {
    value = std::clamp(value, 0.0, 1.0);
    // Kept inside the player's range whatever the rounding.
    settings.threshold = std::clamp(leastSensitive - range * value, 0.008, leastSensitive);
    settings.accent = std::max(settings.accent, settings.threshold + 0.02);
    settings.fullVelocity = std::max(settings.fullVelocity, 2 * settings.accent);
    return settings;
}

}  // namespace knockbox
