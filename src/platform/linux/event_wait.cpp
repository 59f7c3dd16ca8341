#include "platform/event_wait.h"

#include <algorithm>
#include <ctime>

namespace knockbox {

int waitForEvents(pollfd* fds, std::size_t count, double timeout) {
    timeout = std::max(timeout, 0.0);
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(timeout);
    wait.tv_nsec = static_cast<long>((timeout - static_cast<double>(wait.tv_sec)) * 1e9);
    return ppoll(fds, count, &wait, nullptr);
}

}  // namespace knockbox
