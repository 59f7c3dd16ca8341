#pragma once
// Typing shakes the case like a light tap. The typing guard tells the play
// session whether a key went down within a window, so the detector can ignore
// what follows; it asks the window server at most once per 10 ms, although
// samples arrive at about 800 per second.

#include <functional>
#include <limits>

#include "platform/keyboard_activity.h"

namespace knockbox {

class TypingGuard {
public:
    using Query = std::function<double(KeyEventSourceState)>;  // seconds since the last key-down
    using Clock = std::function<double()>;                     // seconds of uptime

    explicit TypingGuard(Query query = secondsSinceLastKeyDown, Clock clock = defaultClock());

    // Whether a key went down less than `window` seconds ago.
    bool active(double window);

    static constexpr double cacheTime = 0.01;

private:
    static Clock defaultClock();

    Query query_;
    Clock clock_;
    double lastCheck = -std::numeric_limits<double>::infinity();
    bool cached = false;
};

}  // namespace knockbox
