#pragma once
// The recorded kit: where its files are and how one is read.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audio/drum_kit.h"

namespace knockbox {

// "<drum>-<layer>-<variation>.caf", for example "snare-2-1.caf".
std::string liveRecordingName(Drum drum, int layer, int variation);

// The bundle's "Kits/Live" when a bundle has one; otherwise "Kits/Live" in the
// folder two levels above the executable (build/release/player finds
// build/Kits/Live).
std::filesystem::path liveKitLocation(const std::filesystem::path& executablePath,
                                      const std::optional<std::filesystem::path>& bundleResources);

// Reads one recording, which must be 48 kHz, mono, 32-bit float, at least one
// and at most 2^32 - 1 frames long, with finite samples; otherwise
// SampleError::invalidFile with the file's name. A file that cannot be opened
// throws std::system_error with the platform's text and the path.
std::vector<float> readDrumRecording(const std::filesystem::path& file);

}  // namespace knockbox
