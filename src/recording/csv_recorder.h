#pragma once
// The CSV recording of a play run. It is written beside its target as
// "<target>.partial", one complete line per sample, and moved over the
// target when the run ends: a run that fails early never destroys what the
// target held, a run that recorded no sample leaves it untouched, and a
// killed run leaves the partial file with every line written before. A
// device or pipe (/dev/stdout, a FIFO) is written straight away.

#include <cstdint>
#include <filesystem>

#include "core/accel_sample.h"

namespace knockbox {

class CsvRecorder {
public:
    // Creates the partial file with the header line, refusing one that
    // exists (another run records there, or a killed run left it). Throws
    // AppError "Nie można zapisać nagrania: <target>" with the reason.
    explicit CsvRecorder(std::filesystem::path target);
    // Finishes if that was not done, keeping quiet about errors.
    ~CsvRecorder();
    CsvRecorder(const CsvRecorder&) = delete;
    CsvRecorder& operator=(const CsvRecorder&) = delete;

    // Appends the sample's line in one write. When a write fails (a full
    // disk, a file size limit) the file is cut back to its last complete
    // line, std::system_error is thrown, and nothing more is written.
    void append(const AccelSample& sample);
    // Moves the partial file over the target when it holds a sample, else
    // removes it. Once; throws std::system_error (with the target) when the
    // move fails, leaving the partial file.
    void finish();

    static std::filesystem::path partialPath(const std::filesystem::path& target);

private:
    std::filesystem::path target_;
    std::filesystem::path partial_;  // empty when writing straight to a device or pipe
    int fd_ = -1;
    std::uint64_t complete_ = 0;  // bytes of complete lines in the file
    std::uint64_t samples_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

}  // namespace knockbox
