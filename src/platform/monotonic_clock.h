#pragma once

namespace knockbox {

// Seconds on the host's monotonic clock (system uptime); the time base of
// sensor samples and of every watchdog.
double uptime();

}  // namespace knockbox
