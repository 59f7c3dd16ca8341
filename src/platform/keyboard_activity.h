#pragma once
// How long ago a key went down, as the window server sees it.

namespace knockbox {

// The two event source states the typing guard asks.
enum class KeyEventSourceState { combinedSession, hidSystem };

// Whether this platform tells when a key went down: the typing guard needs it.
#ifdef __APPLE__
inline constexpr bool keyDownsVisible = true;
#else
inline constexpr bool keyDownsVisible = false;
#endif

// Seconds since the last key-down event in that state; +infinity when none is
// known (always on Linux, which has no window server to ask).
double secondsSinceLastKeyDown(KeyEventSourceState state);

}  // namespace knockbox
