#include "player/typing_guard.h"

#include <algorithm>

#include "platform/monotonic_clock.h"

namespace knockbox {

TypingGuard::Clock TypingGuard::defaultClock() { return uptime; }

TypingGuard::TypingGuard(Query query, Clock clock) : query_(std::move(query)), clock_(std::move(clock)) {}

bool TypingGuard::active(double window) {
    const double now = clock_();
    if (now - lastCheck < cacheTime) return cached;
    lastCheck = now;
    // Either state may have seen the key first; the more recent one counts.
    const double since = std::min(query_(KeyEventSourceState::combinedSession),
                                  query_(KeyEventSourceState::hidSystem));
    cached = since < window;
    return cached;
}

}  // namespace knockbox
