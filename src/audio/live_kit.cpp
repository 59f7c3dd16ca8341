#include "audio/live_kit.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <new>
#include <system_error>
#include <vector>

#include "audio/sample_library.h"
#include "core/line_text.h"
#include "platform/bundle_resources.h"
#include "platform/executable_path.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

// Closes what it was given, however the read ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};
struct SoundFile {
    SNDFILE* file;
    ~SoundFile() {
        if (file) sf_close(file);
    }
};

}  // namespace

std::string liveRecordingName(Drum drum, int layer, int variation) {
    return std::string(rawValue(drum)) + "-" + std::to_string(layer) + "-" + std::to_string(variation) + ".caf";
}

LiveKitLocation findLiveKit(const fs::path& executablePath, const std::optional<fs::path>& bundleResources) {
    const fs::path kit = fs::path("Kits") / "Live";
    const fs::path folder = executablePath.parent_path();
    std::vector<LiveKitLocation> places;
    if (bundleResources) places.push_back({*bundleResources / kit, LiveKitPlace::bundle});
    places.push_back({folder.parent_path() / "share" / "knockbox" / kit, LiveKitPlace::installed});
    places.push_back({folder / kit, LiveKitPlace::ownFolder});
    for (const LiveKitLocation& place : places) {
        std::error_code error;
        if (fs::is_directory(place.folder, error)) return place;
    }
    return {folder.parent_path() / kit, LiveKitPlace::besideProgramFolder};
}

const LiveKitLocation& liveKit() {
    static const LiveKitLocation location = findLiveKit(executablePath(), bundleResourcesDirectory());
    return location;
}

const fs::path& liveKitURL() { return liveKit().folder; }

std::vector<float> readDrumRecording(const fs::path& file) {
    const std::string name = file.filename().string();
    // Not blocking: a FIFO in the kit's folder must not hold the program.
    const Descriptor descriptor{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (descriptor.fd < 0) throw std::system_error(errno, std::generic_category(), pathText(file));

    SF_INFO info{};
    const SoundFile sound{sf_open_fd(descriptor.fd, SFM_READ, &info, SF_FALSE)};
    if (!sound.file) throw SampleError::invalidFile(name);
    const bool sampleFormat =
        info.samplerate == 48000 && info.channels == 1 && (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT;
    if (!sampleFormat || info.frames <= 0 || info.frames > static_cast<sf_count_t>(UINT32_MAX)) {
        throw SampleError::invalidFile(name);
    }

    std::vector<float> samples;
    try {
        samples.resize(static_cast<std::size_t>(info.frames));
    } catch (const std::bad_alloc&) {
        throw SampleError::invalidFile(name);
    }
    // A file that holds fewer frames than its header claims is damaged.
    if (sf_readf_float(sound.file, samples.data(), info.frames) != info.frames) throw SampleError::invalidFile(name);
    for (float sample : samples) {
        if (!std::isfinite(sample)) throw SampleError::invalidFile(name);
    }
    return samples;
}

std::vector<float> loadSample(Drum drum, DrumKit, int layer, int variation) {
    return readDrumRecording(liveKitURL() / liveRecordingName(drum, layer, variation));
}

}  // namespace knockbox
