#pragma once
// A 48 kHz WAV file a user keeps, written into a temporary file beside its
// target (TemporaryFile) and put in place only once complete: a failed or
// interrupted write never leaves a truncated file, and never touches the
// file that was there.

#include <cstddef>
#include <filesystem>

#include "core/temporary_file.h"

namespace knockbox {

enum class WaveKind {
    sample,  // mono 16-bit PCM: an exported drum sound
    take,    // stereo 24-bit PCM; past 4 GiB an RF64 file, which holds any length
};

class WaveWriter {
public:
    // Creates the temporary file (std::system_error naming `path`) and opens
    // it for sound (std::runtime_error naming `path`).
    WaveWriter(const std::filesystem::path& path, WaveKind kind);
    // Without commit, the temporary file is removed.
    ~WaveWriter();
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;

    // Interleaved frames (one sample a frame for a sample, two for a take),
    // clipped to full scale. Throws std::runtime_error naming the path.
    void write(const float* interleaved, std::size_t frames);
    // Completes the file and renames it over the target (std::runtime_error
    // or std::system_error naming the path).
    void commit();

private:
    [[noreturn]] void fail(const char* description) const;

    std::filesystem::path path_;
    TemporaryFile file_;
    void* sound_ = nullptr;  // the open SNDFILE, kept out of this header
};

}  // namespace knockbox
