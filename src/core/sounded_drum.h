#pragma once
// A drum a run started: what a take keeps of each sounded tap.

#include "core/drum.h"

namespace knockbox {

struct SoundedDrum {
    double time = 0;      // s from the run's first sample, when the drum started
    Drum drum = Drum::kick;
    float velocity = 0;   // 0 to 1, as the drum was played
    float pan = 0;        // -1 left to +1 right

    friend bool operator==(const SoundedDrum&, const SoundedDrum&) = default;
};

}  // namespace knockbox
