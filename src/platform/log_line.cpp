#include "platform/log_line.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace knockbox {

void logLine(std::string_view message) {
    std::string line;
    line.reserve(message.size() + 1);
    line.append(message);
    line.push_back('\n');
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;  // nowhere left to report to
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace knockbox
