#include "recording/csv_recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/app_error.h"
#include "recording/csv_recording.h"

namespace knockbox {

CsvRecorder::CsvRecorder(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) throw AppError("Nie można zapisać nagrania: " + path);
    try {
        writeAll(std::string(csvHeader) + "\n");
    } catch (const std::system_error&) {
        close();
        throw AppError("Nie można zapisać nagrania: " + path);
    }
}

CsvRecorder::~CsvRecorder() { close(); }

void CsvRecorder::append(const AccelSample& sample) { writeAll(csvLine(sample) + "\n"); }

void CsvRecorder::writeAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd_, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throw std::system_error(errno, std::generic_category());
        if (written == 0) throw std::system_error(ENOSPC, std::generic_category());
        done += static_cast<std::size_t>(written);
    }
}

void CsvRecorder::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace knockbox
