#pragma once
// The system's default audio output, through RtAudio: CoreAudio on macOS,
// PulseAudio (or PipeWire's Pulse server) on Linux. Stereo float at 48 kHz
// where the device allows it, in blocks of 128 frames: a hit waits at most
// one block (2.7 ms) for the audio thread to start it.

#include <memory>

#include "audio/output_device.h"

namespace knockbox {

inline constexpr unsigned preferredBufferFrames = 128;

// Opens the default output. Throws AudioError (outputUnavailable) when there is
// none or it cannot be opened. No text of the audio library ever reaches
// standard error.
std::unique_ptr<OutputDevice> openSystemOutput();

}  // namespace knockbox
