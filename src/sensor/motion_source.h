#pragma once

#include <memory>

#include "platform/motion_hid.h"

namespace knockbox {

// Where the motion sensor is looked for: IOKit on macOS. Elsewhere the
// simulated registry when KNOCKBOX_SIMULATED_SPU names a recording to play as
// motion (KNOCKBOX_SIMULATED_SPU_FAULTS switches on faults for tests), else a
// registry without the sensor, which is the truth on a machine without one.
// Throws AppError when the simulation is asked for but cannot be set up.
std::unique_ptr<MotionHid> makeMotionHid();

// The simulated fault "closed-output": the sensor process is to close its
// output at once and run on, silent (how a reader copes with that is tested
// with it).
bool closesSensorOutput(const MotionHid& hid);

}  // namespace knockbox
