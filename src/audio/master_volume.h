#pragma once

namespace knockbox {

// The engine's master volume: 1 is the mix as it is, above 1 the limiter's
// pre-gain makes it louder without clipping.
inline constexpr float defaultMasterVolume = 1.2f;
inline constexpr float maximumMasterVolume = 1.5f;

}  // namespace knockbox
