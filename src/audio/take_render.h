#pragma once
// A take as sound: the drums a run started, played again offline through the
// engine they were heard on.

#include <cstddef>
#include <functional>
#include <span>

#include "audio/drum_kit.h"
#include "core/sounded_drum.h"

namespace knockbox {

// Interleaved stereo frames at 48 kHz, handed over in order, a few thousand
// at a time.
using TakeSink = std::function<void(const float* interleaved, std::size_t frames)>;

// Renders `drums` (in any order) into `out` through a DrumAudio of the same
// master volume and kits on an offline device: the same sounds, layers,
// round robin, voices, pan, master volume and limiter as heard, each drum's
// voice started at frame round(time × 48 kHz). The sound lasts `length`
// seconds at least, and on until the last drum has rung out. Throws what the
// sink and the engine throw.
void renderTake(const TakeSink& out, std::span<const SoundedDrum> drums, float masterVolume,
                const SoundSelection& sounds, double length);

}  // namespace knockbox
