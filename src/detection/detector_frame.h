#pragma once
// One conditioned sample as the detector keeps it in its history.

#include <array>

#include "core/accel_sample.h"

namespace knockbox {

using Axes = std::array<double, 3>;

struct DetectorFrame {
    double t = 0;          // s
    Axes axes{};           // high-pass-filtered dynamic acceleration x, y, z, g
    double magnitude = 0;  // Euclidean norm of `axes`, g
    AccelSample raw;       // the sample as received; its `gyro` is the frame's gyroscope
};

}  // namespace knockbox
