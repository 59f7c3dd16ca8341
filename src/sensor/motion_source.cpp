#include "sensor/motion_source.h"

#ifndef __APPLE__
#include <cstdlib>
#include <exception>
#include <string>

#include "core/app_error.h"
#include "protocol/player_lines.h"
#include "recording/csv_recording.h"
#include "sensor/simulated_motion_hid.h"
#endif

namespace knockbox {

#ifdef __APPLE__
std::unique_ptr<MotionHid> makeMotionHid() { return makeSystemMotionHid(); }
bool closesSensorOutput(const MotionHid&) { return false; }
#else
bool closesSensorOutput(const MotionHid& hid) {
    const auto* simulated = dynamic_cast<const SimulatedMotionHid*>(&hid);
    return simulated && simulated->faults().closedOutput;
}

std::unique_ptr<MotionHid> makeMotionHid() {
    SimulatedMotionHid::Setup setup;
    const char* recording = std::getenv("KNOCKBOX_SIMULATED_SPU");
    setup.sensorPresent = recording && *recording;
    if (setup.sensorPresent) {
        try {
            const Recording motion = readRecording(recording);
            setup.motion.assign(motion.begin(), motion.end());
        } catch (const std::exception& error) {
            throw AppError(lines::simulatedSensorUnusable(error.what()));
        }
        if (const char* faults = std::getenv("KNOCKBOX_SIMULATED_SPU_FAULTS"))
            setup.faults = parseSimulatedFaults(faults);
    }
    return std::make_unique<SimulatedMotionHid>(std::move(setup));
}
#endif

}  // namespace knockbox
