#include "core/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/file_replacement.h"
#include "core/line_text.h"

namespace knockbox {
namespace {

class SmallFileCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "small file"; }
    std::string message(int code) const override {
        return code == static_cast<int>(SmallFileError::notRegular) ? "to nie jest zwykły plik"
                                                                    : "plik większy niż 1 MiB";
    }
};

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

[[noreturn]] void fail(std::error_code code, const std::filesystem::path& path) {
    throw std::system_error(code, pathText(path));
}

[[noreturn]] void fail(SmallFileError error, const std::filesystem::path& path) {
    fail(std::error_code(static_cast<int>(error), smallFileCategory()), path);
}

}  // namespace

const std::error_category& smallFileCategory() {
    static const SmallFileCategory category;
    return category;
}

std::string readSmallFile(const std::filesystem::path& path) {
    // Not blocking: opening a FIFO would otherwise wait for a writer, deaf to signals.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) fail(std::error_code(errno, std::generic_category()), path);
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) fail(std::error_code(errno, std::generic_category()), path);
    if (S_ISDIR(status.st_mode)) fail(std::error_code(EISDIR, std::generic_category()), path);
    if (!S_ISREG(status.st_mode)) fail(SmallFileError::notRegular, path);
    if (static_cast<std::uint64_t>(status.st_size) > smallFileLimit) fail(SmallFileError::tooLarge, path);
    // Until the end, or one byte past the limit: a file that grows meanwhile is caught as well.
    std::string contents;
    char piece[65536];
    for (;;) {
        const ssize_t got = ::read(file.fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(std::error_code(errno, std::generic_category()), path);
        if (got == 0) break;
        contents.append(piece, static_cast<std::size_t>(got));
        if (contents.size() > smallFileLimit) fail(SmallFileError::tooLarge, path);
    }
    return contents;
}

void copySmallFileIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ignored;
    // Anything at `to` (a dangling link too) stays; so does a folder we may
    // not look into: nothing is copied.
    if (std::filesystem::symlink_status(to, ignored).type() != std::filesystem::file_type::not_found) return;
    try {
        replaceFile(to, readSmallFile(from));
    } catch (const std::system_error&) {
    }
}

}  // namespace knockbox
