#include "audio/sample_export.h"

#include <cerrno>
#include <system_error>
#include <vector>

#include "audio/sample_library.h"
#include "audio/wave_writer.h"
#include "core/line_text.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwSystemError(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), pathText(path));
}

}  // namespace

void exportSamples(const fs::path& directory, const SoundSelection& selection) {
    // An empty name is no folder at all, as for mkdir.
    if (directory.empty()) throwSystemError(ENOENT, directory);
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) throw std::system_error(error, pathText(directory));
    for (Drum drum : allDrums) {
        // The sound is made before its file is touched, so a missing or
        // broken recording leaves an earlier export of that drum in place.
        const std::vector<float> samples = sampleBuffer(drum, selection.kit(drum), 1.0f, 0);
        WaveWriter wave(directory / (std::string(rawValue(drum)) + ".wav"), WaveKind::sample);
        wave.write(samples.data(), samples.size());
        wave.commit();
    }
}

}  // namespace knockbox
