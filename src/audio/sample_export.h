#pragma once
// Writing the current drum sounds as WAV files a user can keep.

#include <filesystem>

#include "audio/drum_kit.h"

namespace knockbox {

// Writes kick.wav, snare.wav, hihat.wav and tom.wav (48 kHz, mono, 16-bit
// little-endian PCM) into `directory`, creating it and any missing parents.
// Each file holds its drum's hard layer, first variation, from the kit the
// selection gives that drum. Stops at the first error and throws it: the
// platform's error for folders and files, SampleError for a sound that cannot
// be made. Files written before the error stay; each file is replaced whole
// or not at all.
void exportSamples(const std::filesystem::path& directory, const SoundSelection& selection);

}  // namespace knockbox
