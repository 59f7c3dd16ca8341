#include "platform/log_line.h"

#include <unistd.h>

#include <string>

#include "core/line_text.h"
#include "core/write_all.h"

namespace knockbox {

void logLine(std::string_view message) {
    // Whatever outside text a message carries, it stays one line and sends
    // the terminal no control sequence.
    std::string line = visibleControls(message);
    line.push_back('\n');
    writeAll(STDERR_FILENO, line);  // nowhere left to report a failure to
}

}  // namespace knockbox
