#include "recording/csv_recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "core/app_error.h"
#include "core/write_all.h"
#include "recording/csv_recording.h"

namespace knockbox {
namespace fs = std::filesystem;

fs::path CsvRecorder::partialPath(const fs::path& target) {
    fs::path partial = target;
    partial += ".partial";
    return partial;
}

CsvRecorder::CsvRecorder(fs::path target) : target_(std::move(target)) {
    const std::string named = target_.string();
    const auto refuse = [&](const std::string& reason) {
        return AppError("Nie można zapisać nagrania: " + named + " (" + reason + ")");
    };
    std::error_code error;
    const fs::file_status status = fs::status(target_, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or a pipe (/dev/stdout, a FIFO) is written as it is: it
        // cannot be replaced, and holds nothing to lose.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) throw refuse(std::strerror(errno));
    } else {
        // Through a link, the file it names is the one replaced.
        if (fs::is_symlink(fs::symlink_status(target_, error))) target_ = fs::canonical(target_, error);
        partial_ = partialPath(target_);
        fd_ = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    }
    if (fd_ < 0 && errno == EEXIST)
        throw refuse(partial_.string() + " już istnieje: nagrywa tam inny przebieg albo został po przerwanym; "
                     "usuń go albo wybierz inną nazwę");
    if (fd_ < 0) throw refuse(std::strerror(errno));
    const std::string header = std::string(csvHeader) + "\n";
    if (!writeAll(fd_, header)) {
        const std::string reason = std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        if (!partial_.empty()) ::unlink(partial_.c_str());
        throw refuse(reason);
    }
    complete_ = header.size();
}

CsvRecorder::~CsvRecorder() {
    try {
        finish();
    } catch (const std::system_error&) {
    }
}

void CsvRecorder::append(const AccelSample& sample) {
    if (failed_ || fd_ < 0) return;
    const std::string line = csvLine(sample) + "\n";
    if (!writeAll(fd_, line)) {
        const int error = errno;
        failed_ = true;
        // Never a line cut in the middle: the file stays replayable.
        if (!partial_.empty() && ::ftruncate(fd_, static_cast<off_t>(complete_)) != 0) {
            // Nothing more can be done for the file; the write error is reported below.
        }
        throw std::system_error(error, std::generic_category());
    }
    complete_ += line.size();
    ++samples_;
}

void CsvRecorder::finish() {
    if (finished_) return;
    finished_ = true;
    if (fd_ >= 0) ::close(fd_);  // a close error changes nothing for lines already written
    fd_ = -1;
    if (partial_.empty()) return;  // written straight to a device or pipe
    if (samples_ == 0) {
        ::unlink(partial_.c_str());
        return;
    }
    if (std::rename(partial_.c_str(), target_.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), target_.string());
}

}  // namespace knockbox
