#pragma once

#include <string_view>

namespace knockbox {

// Writes every byte to `fd`, again after an interrupted or partial write;
// false with errno set when the system takes no more (EIO if it took none
// without saying why). A non-blocking `fd` that takes nothing for `patience`
// seconds (a pipe whose reader stopped reading) fails with EAGAIN.
bool writeAll(int fd, std::string_view bytes, double patience = 0);

}  // namespace knockbox
