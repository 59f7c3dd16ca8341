#include "audio/sample_export.h"

#include <sndfile.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "audio/sample_library.h"
#include "core/line_text.h"
#include "core/temporary_file.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwSystemError(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), pathText(path));
}

// Writes the samples as 16-bit PCM WAV into a temporary file beside `path`
// and puts it in place once complete, so a failed write never leaves a
// truncated file behind.
void writeWave(const fs::path& path, const std::vector<float>& samples) {
    TemporaryFile partial = TemporaryFile::beside(path, static_cast<fs::perms>(0666));
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    SNDFILE* file = sf_open_fd(partial.fd(), SFM_WRITE, &info, SF_FALSE);
    std::string failure;
    if (!file) {
        failure = sf_strerror(nullptr);
    } else {
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        const auto frames = static_cast<sf_count_t>(samples.size());
        if (sf_writef_float(file, samples.data(), frames) != frames) failure = sf_strerror(file);
        if (sf_close(file) != 0 && failure.empty()) failure = "the file could not be completed";
    }
    if (!failure.empty()) throw std::runtime_error(pathText(path) + ": " + failure);
    partial.commit();
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
        writeWave(directory / (std::string(rawValue(drum)) + ".wav"), samples);
    }
}

}  // namespace knockbox
