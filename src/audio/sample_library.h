#pragma once
// Every sound the program plays: short mono 32-bit float buffers at 48 kHz,
// one per kit, drum, velocity layer and round-robin variation. The
// synthesized kits are pure functions of their arguments; the live kit is read
// from recordings.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/drum_kit.h"

namespace knockbox {

inline constexpr double sampleRate = 48000.0;

// Velocities below this play the soft layer of a synthesized kit.
inline constexpr float softLayerBelow = 0.55f;

struct SampleKey {
    DrumKit kit;
    Drum drum;
    int layer;
    int variation;
    friend bool operator==(const SampleKey&, const SampleKey&) = default;
};

struct SampleKeyHash {
    std::size_t operator()(const SampleKey& key) const noexcept {
        return (((index(key.kit) * 4 + index(key.drum)) * 8 + static_cast<std::size_t>(key.layer)) * 8) +
               static_cast<std::size_t>(key.variation);
    }
};

// A recording that cannot be used, or a buffer that cannot be made.
class SampleError : public std::runtime_error {
public:
    enum class Kind { invalidFile, allocationFailed };
    static SampleError invalidFile(const std::string& fileName);
    static SampleError allocationFailed();
    Kind kind() const { return kind_; }
    const std::string& fileName() const { return fileName_; }

private:
    SampleError(Kind kind, std::string fileName, const std::string& message);
    Kind kind_;
    std::string fileName_;
};

// One synthesized voice; only the parity of `variation` matters. Empty for live.
std::vector<float> synthesize(Drum drum, DrumKit kit, bool soft, int variation);

// The folder of the live kit's recordings, resolved once per process.
const std::filesystem::path& liveKitURL();

// One live recording, kick-0-0.caf to tom-3-2.caf. Throws SampleError, or
// std::system_error with the platform's text when the file cannot be opened.
std::vector<float> loadSample(Drum drum, DrumKit kit, int layer, int variation);

// The soft or hard layer (live: layer 0 or 3) by `softLayerBelow`, the variation
// taken modulo the kit's variation count.
std::vector<float> sampleBuffer(Drum drum, DrumKit kit, float velocity = 1.0f, int variation = 0);

}  // namespace knockbox
