#pragma once
// The stages of one synthesized voice, exposed so that tests can check each
// step and compare the fast evaluation with the closed forms.
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

// How the decays and fixed-frequency partials are evaluated. `recurrent`
// steps them by one multiplication or rotation per sample; `direct` calls
// exp and sin with t = n / 48000 at every sample. Both give the same voice to
// far better than 1e-9; the synthesizer uses `recurrent`.
enum class Evaluation { recurrent, direct };

// The voice length in samples: its duration times 48000, truncated.
std::size_t voiceLength(Drum drum, DrumKit kit);

// Noise, voice formula and envelope for every sample, before DC removal.
// Empty for the live kit.
std::vector<double> voiceSignal(Drum drum, DrumKit kit, bool soft, int variation,
                                Evaluation evaluation = Evaluation::recurrent);

// Subtracts the DC offset weighted by a window that is 0 at both ends (1 ms
// rise, 20 ms fall), so the sum becomes 0 and the end samples stay.
void removeWindowedDC(std::span<double> samples);

// DC removal, last sample 0, peak scaled to 0.82, converted to 32-bit floats.
std::vector<float> finishVoice(std::vector<double> samples);

}  // namespace knockbox
