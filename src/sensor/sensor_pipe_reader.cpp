#include "sensor/sensor_pipe_reader.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <string_view>

namespace knockbox {

SensorPipeReader::SensorPipeReader(int fd, Sink sink, RunLoop& loop)
    : fd_(fd), sink_(std::move(sink)), loop_(loop) {
    samples_.reserve(512);
    token_ = loop_.watch(fd_, [this] { readAvailable(); });
}

void SensorPipeReader::remove() {
    if (token_) loop_.cancel(*token_);
    token_.reset();
}

void SensorPipeReader::readAvailable() {
    std::array<char, 16384> bytes;
    for (;;) {
        const ssize_t got = ::read(fd_, bytes.data(), bytes.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // all read for now
        if (got <= 0) {
            // End of file, or an error that would make the loop wake for it forever.
            ended_ = true;
            remove();
            return;
        }
        samples_.clear();
        lines_.append(std::string_view(bytes.data(), static_cast<std::size_t>(got)), samples_);
        for (const AccelSample& sample : samples_) {
            if (loop_.stopped()) return;  // Ctrl-C or SIGTERM: nothing more is played
            sink_(sample);
        }
    }
}

}  // namespace knockbox
