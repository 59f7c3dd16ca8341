#include "audio/sample_export.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "audio/sample_library.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwSystemError(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), path.string());
}

// Writes the samples as 16-bit PCM WAV into a hidden file beside `path` and
// renames it over `path` once complete, so a failed write never leaves a
// truncated file behind.
void writeWave(const fs::path& path, const std::vector<float>& samples) {
    std::string partialName = ".";
    partialName.append(path.filename().string()).append(".").append(std::to_string(::getpid())).append(".partial");
    const fs::path partial = path.parent_path() / partialName;
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throwSystemError(errno, path);

    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    std::string failure;
    if (!file) {
        failure = sf_strerror(nullptr);
    } else {
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        const auto frames = static_cast<sf_count_t>(samples.size());
        if (sf_writef_float(file, samples.data(), frames) != frames) failure = sf_strerror(file);
        if (sf_close(file) != 0 && failure.empty()) failure = "the file could not be completed";
    }
    const int writeError = failure.empty() && ::fsync(fd) != 0 ? errno : 0;
    ::close(fd);
    if (!failure.empty() || writeError != 0) {
        ::unlink(partial.c_str());
        if (writeError != 0) throwSystemError(writeError, path);
        throw std::runtime_error(path.string() + ": " + failure);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(partial.c_str());
        throwSystemError(renameError, path);
    }
}

}  // namespace

void exportSamples(const fs::path& directory, const SoundSelection& selection) {
    // An empty name is no folder at all, as for mkdir.
    if (directory.empty()) throwSystemError(ENOENT, "\"\"");
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) throw std::system_error(error, directory.string());
    for (Drum drum : allDrums) {
        // The sound is made before its file is touched, so a missing or
        // broken recording leaves an earlier export of that drum in place.
        const std::vector<float> samples = sampleBuffer(drum, selection.kit(drum), 1.0f, 0);
        writeWave(directory / (std::string(rawValue(drum)) + ".wav"), samples);
    }
}

}  // namespace knockbox
