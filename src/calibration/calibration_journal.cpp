#include "calibration/calibration_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <system_error>

#include <nlohmann/json.hpp>

#include "core/line_text.h"
#include "core/number_text.h"
#include "core/write_all.h"

namespace knockbox {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;

[[noreturn]] void fail(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), pathText(path));
}

// Every missing folder on the way, owner only; existing ones stay as they are.
void makeFolders(const fs::path& folder) {
    const auto isFolder = [](const fs::path& path) {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    };
    fs::path path;
    for (const fs::path& part : folder) {
        path /= part;
        if (isFolder(path) || ::mkdir(path.c_str(), folderMode) == 0) continue;
        const int error = errno;
        if (error == EEXIST && isFolder(path)) continue;  // made by someone else meanwhile
        fail(error == EEXIST ? ENOTDIR : error, path);
    }
}

void syncFolder(const fs::path& folder) {
    if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Compact JSON, keys in code-point order (nlohmann keeps objects sorted by
// their UTF-8 bytes, which is the same order), numbers as the shortest text
// that reads back as the identical double.
void write(const json& value, std::string& out) {
    switch (value.type()) {
        case json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, member] : value.items()) {
                if (!first) out += ',';
                first = false;
                out += json(key).dump(-1, ' ', false, json::error_handler_t::replace);
                out += ':';
                write(member, out);
            }
            out += '}';
            return;
        }
        case json::value_t::array: {
            out += '[';
            bool first = true;
            for (const json& element : value) {
                if (!first) out += ',';
                first = false;
                write(element, out);
            }
            out += ']';
            return;
        }
        case json::value_t::number_float: {
            const double number = value.get<double>();
            if (!std::isfinite(number))
                out += "null";  // JSON has no such number
            else if (number == 0 && std::signbit(number))
                out += "-0.0";  // "-0" would read back as the integer 0
            else
                out += shortestNumber(number);
            return;
        }
        default: out += value.dump(-1, ' ', false, json::error_handler_t::replace); return;
    }
}

std::string line(const json& value) {
    std::string text;
    write(value, text);
    text += '\n';
    return text;
}

json statusRecord(std::string_view status, std::string_view detail) {
    return {{"event", "status"}, {"status", std::string(status)}, {"detail", std::string(detail)}};
}

}  // namespace

std::string isoTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(text, length);
}

CalibrationJournal::CalibrationJournal(const fs::path& folder, const JournalHeader& header) {
    const fs::path directory = (folder.empty() ? fs::path(".") : folder) / "recordings" / "calibration";
    makeFolders(directory);

    std::string name = isoTime(header.started);
    for (char& c : name)
        if (c == ':') c = '-';
    url_ = directory / (name + "-" + header.uuid + ".jsonl");
    // A new file every run: an existing one is never opened, let alone overwritten.
    handle_ = ::open(url_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, fileMode);
    if (handle_ < 0) throw JournalCreationError();
    ::fchmod(handle_, fileMode);  // whatever the umask took away
    syncFolder(directory);        // the file's name is as lasting as its milestones

    try {
        append(line({{"event", "session"},
                     {"version", 1},
                     {"featureVersion", 1},
                     {"hardwareModel", header.hardwareModel},
                     {"kind", header.kind},
                     {"threshold", header.threshold},
                     {"accent", header.accent},
                     {"started", isoTime(header.started)}}));
    } catch (...) {
        ::close(handle_);
        ::unlink(url_.c_str());
        throw;
    }
}

CalibrationJournal::~CalibrationJournal() { finish(); }

void CalibrationJournal::append(std::string text) {
    if (ended_) fail(EBADF, url_);
    struct stat before {};
    if (::fstat(handle_, &before) != 0) fail(errno, url_);
    if (!writeAll(handle_, text)) {
        const int error = errno;
        // A line cut short (a full disk) is taken back: what stays is whole lines.
        [[maybe_unused]] const int ignored = ::ftruncate(handle_, before.st_size);
        fail(error, url_);
    }
}

void CalibrationJournal::record(Side label, std::string_view stage, const Hit& hit,
                                std::span<const AccelSample> trace) {
    json samples = json::array();
    for (const AccelSample& sample : trace) {
        json raw{{"t", sample.t}, {"x", sample.x}, {"y", sample.y}, {"z", sample.z}};
        if (sample.gyro) raw["gyro"] = {sample.gyro->x, sample.gyro->y, sample.gyro->z};
        samples.push_back(std::move(raw));
    }
    append(line({{"event", "observation"},
                 {"label", std::string(rawValue(label))},
                 {"stage", std::string(stage)},
                 {"onset", hit.t},
                 {"peak", hit.peak},
                 {"features", hit.features},
                 {"samples", std::move(samples)}}));
}

void CalibrationJournal::status(std::string_view status, std::string_view detail) {
    append(line(statusRecord(status, detail)));
    if (::fsync(handle_) != 0) fail(errno, url_);
}

void CalibrationJournal::finish() noexcept {
    if (ended_) return;
    try {
        append(line(statusRecord("session-ended", "")));
    } catch (...) {
        // The end is written when it can be; a journal that cannot take it closes all the same.
    }
    ::fsync(handle_);
    ::close(handle_);
    ended_ = true;
}

}  // namespace knockbox
