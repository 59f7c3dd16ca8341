#pragma once
// A take as sound: the drums a run started, played again offline through the
// engine they were heard on.

#include <span>

#include "audio/drum_kit.h"
#include "audio/wave_writer.h"
#include "core/sounded_drum.h"

namespace knockbox {

// Renders `drums` (in any order) into `out`, a take, through a DrumAudio of
// the same master volume and kits on an offline device: the same sounds,
// layers, round robin, voices, pan, master volume and limiter as heard, each
// drum's voice started at frame round(time × 48 kHz). The sound lasts
// `length` seconds at least, and on until the last drum has rung out. Throws
// what the writer and the engine throw; does not commit.
void renderTake(WaveWriter& out, std::span<const SoundedDrum> drums, float masterVolume,
                const SoundSelection& sounds, double length);

}  // namespace knockbox
