#pragma once
// What is played: the four kits and one kit per drum.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "core/drum.h"

namespace knockbox {

enum class DrumKit { studio, live, electronic, lofi };
inline constexpr std::array<DrumKit, 4> allKits{DrumKit::studio, DrumKit::live, DrumKit::electronic,
                                                DrumKit::lofi};

constexpr std::size_t index(DrumKit kit) { return static_cast<std::size_t>(kit); }

std::string_view rawValue(DrumKit kit);
// Exact, case-sensitive match of the raw value; anything else gives nothing.
std::optional<DrumKit> parseDrumKit(std::string_view text);

std::string_view displayName(DrumKit kit);
std::string_view subtitle(DrumKit kit);
// Only the live kit is recorded; the others are synthesized.
constexpr bool sampled(DrumKit kit) { return kit == DrumKit::live; }
constexpr int layerCount(DrumKit kit) { return kit == DrumKit::live ? 4 : 2; }
constexpr int variationCount(DrumKit kit) { return kit == DrumKit::live ? 3 : 2; }

struct SoundSelection {
    DrumKit kick = DrumKit::studio;
    DrumKit snare = DrumKit::studio;
    DrumKit hihat = DrumKit::studio;
    DrumKit tom = DrumKit::studio;

    static constexpr SoundSelection all(DrumKit kit) { return {kit, kit, kit, kit}; }
    DrumKit kit(Drum drum) const;
    DrumKit& kit(Drum drum);

    friend bool operator==(const SoundSelection&, const SoundSelection&) = default;
};

// JSON: all four keys, each a kit's raw value. Decoding a missing key or an
// unknown kit throws nlohmann::json::exception.
void to_json(nlohmann::json& json, const SoundSelection& selection);
void from_json(const nlohmann::json& json, SoundSelection& selection);
void to_json(nlohmann::json& json, DrumKit kit);
void from_json(const nlohmann::json& json, DrumKit& kit);

}  // namespace knockbox
