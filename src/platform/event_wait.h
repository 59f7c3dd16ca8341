#pragma once
// The run loop's wait: until one of the descriptors is readable or the
// timeout passes. On macOS the wait also turns CoreFoundation's run loop, so
// that IOKit's report callbacks arrive on this thread meanwhile.

#include <poll.h>

#include <cstddef>

namespace knockbox {

// Like poll(): the number of ready descriptors, 0 on timeout, -1 on error.
int waitForEvents(pollfd* fds, std::size_t count, double timeout);

}  // namespace knockbox
