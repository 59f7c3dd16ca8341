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

// Where the recorded kit was found, in the order the places are looked at.
enum class LiveKitPlace {
    bundle,     // the app bundle's resources
    installed,  // <prefix>/share/knockbox/Kits/Live for <prefix>/bin/knockbox
    ownFolder,  // Kits/Live in the program's own folder (a build directory links it in)
    besideProgramFolder,  // Kits/Live beside the program's folder (build/knockbox in a checkout)
};

struct LiveKitLocation {
    std::filesystem::path folder;
    LiveKitPlace place;
};

// The first of the places above that holds a "Kits/Live" folder. When none
// does, the last one, so that a message can say where the kit was looked for.
LiveKitLocation findLiveKit(const std::filesystem::path& executablePath,
                            const std::optional<std::filesystem::path>& bundleResources);

// The kit found for this process, once; liveKitURL() is its folder.
const LiveKitLocation& liveKit();

// Reads one recording, which must be 48 kHz, mono, 32-bit float, at least one
// and at most 2^32 - 1 frames long, with finite samples; otherwise
// SampleError::invalidFile with the file's name. A file that cannot be opened
// throws std::system_error with the platform's text and the path.
std::vector<float> readDrumRecording(const std::filesystem::path& file);

}  // namespace knockbox
