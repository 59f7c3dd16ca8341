#pragma once
// The four drums of the kit.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace knockbox {

// The order is the drum's index and the order of every loop over all drums.
enum class Drum { kick, snare, hihat, tom };
inline constexpr std::array<Drum, 4> allDrums{Drum::kick, Drum::snare, Drum::hihat, Drum::tom};

constexpr std::size_t index(Drum drum) { return static_cast<std::size_t>(drum); }

// "kick", "snare", "hihat", "tom".
std::string_view rawValue(Drum drum);
// Exact, case-sensitive match of the raw value; anything else gives nothing.
std::optional<Drum> parseDrum(std::string_view text);

}  // namespace knockbox
