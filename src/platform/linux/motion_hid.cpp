// Linux has no SPU. The simulated registry stands in for it when
// KNOCKBOX_SIMULATED_SPU names a recording to play as motion;
// KNOCKBOX_SIMULATED_SPU_FAULTS switches on faults for tests.
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/simulated_motion_hid.h"
#include "player/app_error.h"
#include "player/csv_recording.h"

namespace knockbox {

std::unique_ptr<MotionHid> makeMotionHid() {
    SimulatedMotionHid::Setup setup;
    const char* recording = std::getenv("KNOCKBOX_SIMULATED_SPU");
    setup.sensorPresent = recording && *recording;
    if (setup.sensorPresent) {
        try {
            setup.motion = readRecording(recording);
        } catch (const std::exception& error) {
            throw AppError(std::string("KNOCKBOX_SIMULATED_SPU: ") + error.what());
        }
        if (const char* faults = std::getenv("KNOCKBOX_SIMULATED_SPU_FAULTS"))
            setup.faults = parseSimulatedFaults(faults);
    }
    return std::make_unique<SimulatedMotionHid>(std::move(setup));
}

}  // namespace knockbox
