#include "platform/event_wait.h"

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#include <cmath>

#include "platform/monotonic_clock.h"

namespace knockbox {

int waitForEvents(pollfd* fds, std::size_t count, double timeout) {
    const double end = uptime() + std::max(timeout, 0.0);
    for (;;) {
        if (const int ready = poll(fds, static_cast<nfds_t>(count), 0); ready != 0) return ready;
        const double left = end - uptime();
        if (left <= 0) return 0;
        // Let CoreFoundation deliver IOKit reports for up to 1 ms, then look at
        // the descriptors again. Without any CoreFoundation source (the
        // player's side) only the descriptors are waited on.
        const auto result = CFRunLoopRunInMode(kCFRunLoopDefaultMode, std::min(left, 0.001), true);
        if (result == kCFRunLoopRunFinished)
            return poll(fds, static_cast<nfds_t>(count), static_cast<int>(std::ceil(left * 1000)));
    }
}

}  // namespace knockbox
