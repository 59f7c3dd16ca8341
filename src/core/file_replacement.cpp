#include "core/file_replacement.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "core/write_all.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), path.string());
}

}  // namespace

void replaceFile(const fs::path& path, std::string_view contents, fs::perms permissions) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    // Built by appending: GCC 12 misreads `"." + std::string` at -O3 (-Wrestrict).
    std::string name = ".";
    name += path.filename().string();
    name += '.';
    name += std::to_string(::getpid());
    name += ".partial";
    const fs::path partial = folder / name;
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                          static_cast<mode_t>(permissions));
    if (fd < 0) fail(errno, path);
    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const int writeError = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        const int closeError = errno;
        ::unlink(partial.c_str());
        fail(closeError, path);
    }
    if (!written) {
        ::unlink(partial.c_str());
        fail(writeError, path);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(partial.c_str());
        fail(renameError, path);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace knockbox
