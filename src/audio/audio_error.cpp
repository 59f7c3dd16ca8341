#include "audio/audio_error.h"

#include <string>

namespace knockbox {
namespace {

std::string message(AudioError::Kind kind) {
    switch (kind) {
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

AudioError::AudioError(Kind kind) : std::runtime_error(message(kind)), kind_(kind) {}

AudioError AudioError::outputUnavailable() { return AudioError(Kind::outputUnavailable); }
AudioError AudioError::invalidMasterVolume() { return AudioError(Kind::invalidMasterVolume); }

}  // namespace knockbox
