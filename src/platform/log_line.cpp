#include "platform/log_line.h"

#include <unistd.h>

#include <string>

#include "core/write_all.h"

namespace knockbox {

void logLine(std::string_view message) {
    std::string line;
    line.reserve(message.size() + 1);
    line.append(message);
    line.push_back('\n');
    writeAll(STDERR_FILENO, line);  // nowhere left to report a failure to
}

}  // namespace knockbox
