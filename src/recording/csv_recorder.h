#pragma once
// The open CSV recording of a play run: created with its header when the
// session starts, one line appended per sample, closed when it stops.

#include <string>

#include "core/accel_sample.h"

namespace knockbox {

class CsvRecorder {
public:
    // Creates (or replaces) the file with its header line. Throws AppError
    // "Nie można zapisać nagrania: <path>" when it cannot be created.
    explicit CsvRecorder(const std::string& path);
    ~CsvRecorder();
    CsvRecorder(const CsvRecorder&) = delete;
    CsvRecorder& operator=(const CsvRecorder&) = delete;

    // Appends the sample's line in one write. Throws std::system_error when
    // the write fails or is short.
    void append(const AccelSample& sample);
    // Closes the file; a close error is ignored.
    void close();

private:
    void writeAll(const std::string& text);
    int fd_ = -1;
};

}  // namespace knockbox
