#pragma once
// How long ago a key went down, as the window server sees it.

namespace knockbox {

// The two event source states the typing guard asks.
enum class KeyEventSourceState { combinedSession, hidSystem };

// Seconds since the last key-down event in that state; +infinity when none is
// known (always on Linux, which has no window server to ask).
double secondsSinceLastKeyDown(KeyEventSourceState state);

}  // namespace knockbox
