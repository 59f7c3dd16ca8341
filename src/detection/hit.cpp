#include "detection/hit.h"

#include <algorithm>
#include <cmath>

namespace knockbox {

Drum drumFor(Side side, double peak, double accent) {
    const bool firm = peak >= accent;
    if (side == Side::left) return firm ? Drum::tom : Drum::kick;
    return firm ? Drum::snare : Drum::hihat;
}

float tapVelocity(double peak, double captureThreshold, double fullVelocity) {
    const double share = std::clamp(
        (peak - captureThreshold) / std::max(fullVelocity - captureThreshold, 0.001), 0.0, 1.0);
    return static_cast<float>(std::sqrt(share) * 0.85 + 0.15);
}

}  // namespace knockbox
