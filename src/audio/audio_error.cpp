#include "audio/audio_error.h"

#include <string>

namespace knockbox {
namespace {

std::string message(AudioError::Kind kind, std::int32_t status) {
    switch (kind) {
        case AudioError::Kind::limiterConfiguration:
            return "Couldn't set up the audio limiter (Core Audio " + std::to_string(status) + ").";
        case AudioError::Kind::playerUnavailable:
            return "Core Audio doesn't provide the system ScheduledSoundPlayer. Run Knockbox outside a "
                   "restricted sandbox.";
        case AudioError::Kind::limiterUnavailable:
            return "Core Audio doesn't provide the system PeakLimiter. Run Knockbox outside a restricted "
                   "sandbox.";
        case AudioError::Kind::outputUnavailable:
#ifdef __APPLE__
            return "No active audio output. Choose speakers or headphones in macOS.";
#else
            // Linux plays through a PulseAudio server (PipeWire's Pulse server answers too).
            return "No active audio output. Start a sound server (PulseAudio or PipeWire) or set PULSE_SERVER "
                   "to a running one.";
#endif
        case AudioError::Kind::invalidMasterVolume:
            return "Knockbox volume must be a number from 0 to 1.5.";
    }
    return {};
}

}  // namespace

AudioError::AudioError(Kind kind, std::int32_t status)
    : std::runtime_error(message(kind, status)), kind_(kind), status_(status) {}

// The three Core Audio cases stay defined for callers that show or compare
// them, but our own mixer and limiter never raise them: there is no system
// component to look up and no parameter call that can fail.
AudioError AudioError::limiterConfiguration(std::int32_t status) { return {Kind::limiterConfiguration, status}; }
AudioError AudioError::playerUnavailable() { return {Kind::playerUnavailable, 0}; }
AudioError AudioError::limiterUnavailable() { return {Kind::limiterUnavailable, 0}; }
AudioError AudioError::outputUnavailable() { return {Kind::outputUnavailable, 0}; }
AudioError AudioError::invalidMasterVolume() { return {Kind::invalidMasterVolume, 0}; }

}  // namespace knockbox
