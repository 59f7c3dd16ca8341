#pragma once
// The stages of one synthesized voice, exposed so that tests can check each
// step (the formulas themselves: voice_formulas.h).
//
// A voice is computed in 64-bit floats: the enveloped signal (voiceSignal),
// the windowed DC removal, the last sample set to 0, then the scaling to a
// peak of 0.82 and the conversion to 32-bit floats (finishVoice).

#include <cstddef>
#include <span>
#include <vector>

#include "audio/drum_kit.h"

namespace knockbox {

inline constexpr double synthesizedPeak = 0.82;

// Noise, voice formula and envelope for every sample, before DC removal,
// with the decays and fixed sines stepped by recurrence. Empty for the live kit.
std::vector<double> voiceSignal(Drum drum, DrumKit kit, bool soft, int variation);

// Subtracts the DC offset weighted by a window that is 0 at both ends (1 ms
// rise, 20 ms fall), so the sum becomes 0 and the end samples stay.
void removeWindowedDC(std::span<double> samples);

// DC removal, last sample 0, peak scaled to 0.82, converted to 32-bit floats.
std::vector<float> finishVoice(std::vector<double> samples);

}  // namespace knockbox
