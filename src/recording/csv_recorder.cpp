#include "recording/csv_recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "core/app_error.h"
#include "core/line_text.h"
#include "core/write_all.h"
#include "recording/csv_recording.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

// How long a pipe's reader may leave the recording unread before it fails:
// about a second of samples fills a pipe, and the player cannot wait longer.
constexpr double pipePatience = 1.0;

}  // namespace

fs::path CsvRecorder::partialPath(const fs::path& target) {
    fs::path partial = target;
    partial += ".partial";
    return partial;
}

CsvRecorder::CsvRecorder(fs::path target) : target_(std::move(target)) {
    const std::string named = pathText(target_);
    const auto refuse = [&](const std::string& reason) {
        return AppError("Nie można zapisać nagrania: " + named + " (" + reason + ")");
    };
    std::error_code error;
    const fs::file_status status = fs::status(target_, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or a pipe (/dev/stdout, a FIFO) is written as it is: it
        // cannot be replaced, and holds nothing to lose. Opened without
        // waiting: a FIFO nobody reads would hold the open for good.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0 && errno == ENXIO) throw refuse("nikt nie czyta z tego potoku");
        if (fd_ < 0) throw refuse(std::strerror(errno));
    } else {
        if (fs::is_symlink(fs::symlink_status(target_, error))) {
            // Through a link, the file it names is the one replaced; a link
            // to nothing names no file we should make.
            fs::path linked = fs::canonical(target_, error);
            if (error) throw refuse("dowiązanie symboliczne do pliku, którego nie ma");
            target_ = std::move(linked);
        }
        try {
            partial_.emplace(TemporaryFile::at(partialPath(target_), target_, static_cast<fs::perms>(0644)));
        } catch (const std::system_error& failure) {
            if (failure.code().value() == EEXIST)
                throw refuse(pathText(partialPath(target_)) +
                             " już istnieje: nagrywa tam inny przebieg albo został po przerwanym; "
                             "usuń go albo wybierz inną nazwę");
            throw refuse(failure.code().message());
        }
        fd_ = partial_->fd();
    }
    const std::string header = std::string(csvHeader) + "\n";
    if (!writeAll(fd_, header, pipePatience)) {
        const std::string reason = std::strerror(errno);
        if (!partial_) ::close(fd_);
        fd_ = -1;
        partial_.reset();  // removed: it holds nothing
        throw refuse(reason);
    }
    complete_ = header.size();
}

CsvRecorder::~CsvRecorder() {
    try {
        finish();
    } catch (const AppError&) {
    }
}

void CsvRecorder::append(const AccelSample& sample) {
    if (failed_ || fd_ < 0) return;
    const std::string line = csvLine(sample) + "\n";
    if (!writeAll(fd_, line, pipePatience)) {
        const int error = errno;
        failed_ = true;
        // Never a line cut in the middle: the file stays replayable.
        if (partial_ && ::ftruncate(fd_, static_cast<off_t>(complete_)) != 0) {
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
    const int fd = std::exchange(fd_, -1);
    if (!partial_) {
        if (fd >= 0) ::close(fd);  // a device or pipe: a close error changes nothing for lines already written
        return;
    }
    if (samples_ == 0) {
        partial_.reset();  // removed: the target stays as it was
        return;
    }
    try {
        partial_->commit();
    } catch (const std::system_error& error) {
        partial_->keep();
        throw AppError("Nagranie zostało w " + pathText(partial_->path()) + ": nie można go przenieść na " +
                       pathText(target_) + " (" + error.code().message() + ").");
    }
    partial_.reset();
}

}  // namespace knockbox
