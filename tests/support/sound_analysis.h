#pragma once
// Finding drum hits in recorded sound.
//
// On a busy machine the player's output can run dry for a moment (an
// underrun): the sound server then plays exact silence and the sound resumes
// afterwards, a little later and sometimes a few frames short. Exact silence
// (two or more frames of exact zeros) never occurs inside a sound otherwise,
// so these helpers treat silent frames as missing rather than quiet: no onset
// is found where a sound resumes, and loudness is measured over what was heard.

#include <cstddef>
#include <vector>

namespace knockbox::test {

inline constexpr std::size_t recordingRate = 48000;

struct Onset {
    std::size_t frame;
    float peak;  // largest sample in the 60 ms after the onset
};

// Onsets in one channel: a 256-frame window whose energy jumps far above the
// windows heard just before it (longer than one period of the lowest drum),
// at least 100 ms apart.
std::vector<Onset> findOnsets(const std::vector<float>& channel);

// One channel (0 left, 1 right) of interleaved stereo.
std::vector<float> channelOf(const std::vector<float>& stereo, std::size_t channel);

// The largest absolute sample of one channel in [from, from + length).
float peakIn(const std::vector<float>& channel, std::size_t from, std::size_t length);

// The root mean square of the first `length` frames heard from `from` on
// (silent frames left out); steadier than a peak, which resampling can
// overshoot.
double rmsIn(const std::vector<float>& channel, std::size_t from, std::size_t length);

}  // namespace knockbox::test
