#include "core/write_all.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace knockbox {
namespace {

// Until `fd` takes bytes again or the patience runs out; a signal does not
// restart the wait from the beginning.
bool waitUntilWritable(int fd, double patience) {
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(patience));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd wanted{fd, POLLOUT, 0};
        const int ready = ::poll(&wanted, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

}  // namespace

bool writeAll(int fd, std::string_view bytes, double patience) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitUntilWritable(fd, patience)) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            if (errno == EWOULDBLOCK) errno = EAGAIN;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace knockbox
