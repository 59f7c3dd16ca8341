#include "player/recording_loading.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <system_error>
#include <vector>

#include "core/line_text.h"

namespace knockbox {
namespace {

constexpr std::size_t pieceSize = 65536;

struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

}  // namespace

std::optional<Recording> loadRecording(const std::string& path, RunLoop& loop) {
    // Not blocking: opening a FIFO would otherwise wait for a writer, deaf to signals.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) throw std::system_error(errno, std::generic_category(), outsideText(path));

    RecordingParser parser(path);
    std::vector<char> piece(pieceSize);
    bool ended = false;
    std::exception_ptr failure;
    // One piece per turn of the loop, so a stop is noticed between pieces.
    const RunLoop::Token watch = loop.watch(file.fd, [&] {
        if (ended || failure) return;
        try {
            const ssize_t count = ::read(file.fd, piece.data(), piece.size());
            if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
            // EISDIR for a folder
            if (count < 0) throw std::system_error(errno, std::generic_category(), outsideText(path));
            if (count == 0) ended = true;
            else parser.append(std::string_view(piece.data(), static_cast<std::size_t>(count)));
        } catch (...) {
            failure = std::current_exception();
        }
    });
    while (!ended && !failure && !loop.stopped()) loop.runFor(RunLoop::maxSlice);
    loop.cancel(watch);
    if (failure) std::rethrow_exception(failure);
    if (!ended) return std::nullopt;
    return parser.finish();
}

}  // namespace knockbox
