#pragma once
// One motion sample as every source delivers it: the sensor process, the text
// stream read from it, and CSV recordings.

#include <optional>

namespace knockbox {

// Angular rate per axis in the gyroscope's own unit (report value / 65536).
struct GyroSample {
    double t = 0;  // s, host monotonic clock
    double x = 0;
    double y = 0;
    double z = 0;

    friend bool operator==(const GyroSample&, const GyroSample&) = default;
};

// Acceleration per axis in g, gravity included. `gyro` is the latest gyroscope
// sample when it lies within 15 ms of this one; many samples have none.
struct AccelSample {
    double t = 0;  // s, host monotonic clock; only ever compared with other sample times
    double x = 0;
    double y = 0;
    double z = 0;
    std::optional<GyroSample> gyro;

    friend bool operator==(const AccelSample&, const AccelSample&) = default;
};

}  // namespace knockbox
