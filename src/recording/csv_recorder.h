#pragma once
// The CSV recording of a play run. It is written beside its target as
// "<target>.partial", one complete line per sample, and moved over the
// target when the run ends: a run that fails early never destroys what the
// target held, a run that recorded no sample leaves it untouched, and a
// killed run leaves the partial file with every line written before. The
// partial file is created only where nothing is (no file, no link), so a
// link planted at its known name is never written through. A device or pipe
// (/dev/stdout, a FIFO) is written straight away.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "core/accel_sample.h"
#include "core/temporary_file.h"

namespace knockbox {

class CsvRecorder {
public:
    // Creates the partial file with the header line, refusing one that
    // exists (another run records there, or a killed run left it), a link
    // to nothing, and a pipe nobody reads. Never waits for a reader. Throws
    // AppError "Nie można zapisać nagrania: <target> (<reason>)".
    explicit CsvRecorder(std::filesystem::path target);
    // Finishes if that was not done, keeping quiet about errors.
    ~CsvRecorder();
    CsvRecorder(const CsvRecorder&) = delete;
    CsvRecorder& operator=(const CsvRecorder&) = delete;

    // Appends the sample's line in one write. When a write fails (a full
    // disk, a file size limit, a pipe whose reader stopped reading for a
    // second) the file is cut back to its last complete line,
    // std::system_error is thrown, and nothing more is written.
    void append(const AccelSample& sample);
    // Moves the partial file over the target when it holds a sample, else
    // removes it. Once; when the partial file cannot be completed or moved it
    // stays, with every line, and AppError names it.
    void finish();

    static std::filesystem::path partialPath(const std::filesystem::path& target);

private:
    std::filesystem::path target_;
    std::optional<TemporaryFile> partial_;  // absent when writing straight to a device or pipe
    int fd_ = -1;
    std::uint64_t complete_ = 0;  // bytes of complete lines in the file
    std::uint64_t samples_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

}  // namespace knockbox
