#include "sensor/sensor_pipe_reader.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <string_view>

namespace knockbox {

SensorPipeReader::SensorPipeReader(int fd, Sink sink, RunLoop& loop)
    : fd_(fd), sink_(std::move(sink)), loop_(loop) {
    samples_.reserve(512);
    setPrompt(true);
}

void SensorPipeReader::setPrompt(bool prompt) {
    if (prompt && !token_ && !removed_ && !ended_) {
        token_ = loop_.watch(fd_, [this] { readAvailable(); });
    } else if (!prompt && token_) {
        loop_.cancel(*token_);
        token_.reset();
    }
}

void SensorPipeReader::remove() {
    setPrompt(false);
    removed_ = true;
}

void SensorPipeReader::readAvailable() {
    if (removed_ || ended_) return;
    std::array<char, 16384> bytes;
    for (;;) {
        const ssize_t got = ::read(fd_, bytes.data(), bytes.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // all read for now
        if (got <= 0) {
            // End of file, or an error that would make the loop wake for it forever.
            ended_ = true;
            setPrompt(false);
            return;
        }
        samples_.clear();
        lines_.append(std::string_view(bytes.data(), static_cast<std::size_t>(got)), samples_);
        for (const AccelSample& sample : samples_) {
            if (loop_.stopped() || removed_) return;  // Ctrl-C or SIGTERM: nothing more is played
            sink_(sample);
        }
        // A read that did not fill the buffer took all there was: the next
        // wake or call finds what comes later, without a read that finds nothing.
        if (static_cast<std::size_t>(got) < bytes.size()) return;
    }
}

}  // namespace knockbox
