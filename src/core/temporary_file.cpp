#include "core/temporary_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "core/line_text.h"
#include "core/utf8_text.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

// O_EXCL alone refuses a link at the name; O_NOFOLLOW says so twice.
constexpr int createFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t longestNamePart = 96;  // bytes of the target's name kept in a temporary name

[[noreturn]] void fail(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), pathText(path));
}

fs::path folderOf(const fs::path& path) { return path.has_parent_path() ? path.parent_path() : fs::path("."); }

// The target's name, cut between characters so that the temporary name stays
// within the system's limit and valid UTF-8.
std::string namePart(const fs::path& target) {
    const std::string name = target.filename().string();
    std::size_t end = 0;
    while (end < name.size()) {
        const std::size_t length = std::max<std::size_t>(utf8SequenceLength(std::string_view(name).substr(end)), 1);
        if (end + length > longestNamePart) break;
        end += length;
    }
    return name.substr(0, end);
}

std::string randomHex() {
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device source;
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const unsigned value = source();
        for (int shift = 0; shift < 32; shift += 8) text += digits[(value >> shift) & 0xF];
    }
    return text;
}

}  // namespace

TemporaryFile TemporaryFile::beside(const fs::path& target, fs::perms permissions) {
    const fs::path folder = folderOf(target);
    for (int attempt = 0;; ++attempt) {
        // Built by appending: GCC 12 misreads `"." + std::string` at -O3 (-Wrestrict).
        std::string name = ".";
        name += namePart(target);
        name += '.';
        name += randomHex();
        name += ".partial";
        const fs::path path = folder / name;
        const int fd = ::open(path.c_str(), createFlags, static_cast<mode_t>(permissions));
        if (fd >= 0) return TemporaryFile(fd, path, target);
        // Another name taken (vanishingly rare) is tried again; anything else is the folder's answer.
        if (errno != EEXIST || attempt == 16) fail(errno, target);
    }
}

TemporaryFile TemporaryFile::at(fs::path path, fs::path target, fs::perms permissions) {
    const int fd = ::open(path.c_str(), createFlags, static_cast<mode_t>(permissions));
    if (fd < 0) fail(errno, path);
    return TemporaryFile(fd, std::move(path), std::move(target));
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      done_(std::exchange(other.done_, true)) {}

TemporaryFile::~TemporaryFile() {
    close();
    if (!done_) ::unlink(path_.c_str());
}

void TemporaryFile::close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void TemporaryFile::commit() {
    if (::fsync(fd_) != 0) {
        const int error = errno;
        close();
        fail(error, target_);
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) fail(errno, target_);
    if (std::rename(path_.c_str(), target_.c_str()) != 0) fail(errno, target_);
    done_ = true;
    // The rename itself reaches the disk with the folder. Some file systems
    // cannot flush a folder; the file is in place either way.
    if (const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void TemporaryFile::keep() noexcept {
    close();
    done_ = true;
}

}  // namespace knockbox
