#pragma once

#include <optional>

namespace knockbox {

// The sensor process: opens the motion sensor (sensor/motion_source) and
// writes one sample line per accelerometer report to standard output until
// the main loop is stopped, its reader goes away, `duration` seconds have
// passed or the sensor goes quiet (AppError). Needs root on a Mac.
void streamSensor(std::optional<double> duration = std::nullopt);

}  // namespace knockbox
