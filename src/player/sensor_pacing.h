#pragma once

#include "platform/run_loop.h"
#include "player/session.h"
#include "sensor/sensor_pipe_reader.h"

namespace knockbox {

// One slice of live play: the sensor pipe read as the session needs it.
// Between taps the samples are read once a slice, not once each: an onset
// seen a slice late changes nothing, since its hit is due an attack window
// later; from the onset on, every sample is read as it comes, so the one that
// completes the tap is played at once. With the fast trigger a tap's sound is
// due sooner than a slice after its onset, so while an onset may come every
// sample is read as it comes too (Session::awaitingHit).
inline void followSensorForASlice(SensorPipeReader& reader, const Session& session, RunLoop& loop) {
    reader.readAvailable();
    reader.setPrompt(session.awaitingHit());
    loop.runFor(RunLoop::maxSlice);
}

}  // namespace knockbox
