#include "audio/drum_kit.h"

#include <nlohmann/json.hpp>

namespace knockbox {
namespace {

constexpr std::array<std::string_view, 4> kitNames{"studio", "live", "electronic", "lofi"};
constexpr std::array<std::string_view, 4> kitDisplayNames{"Studio", "Live", "808", "Lo-fi"};
constexpr std::array<std::string_view, 4> kitSubtitles{
    "Natural body, snares and metal", "A real kit recorded in the studio",
    "Deep sub with a punchy attack", "Warm, dry and dusty"};

}  // namespace

std::string_view rawValue(DrumKit kit) { return kitNames[index(kit)]; }
std::string_view displayName(DrumKit kit) { return kitDisplayNames[index(kit)]; }
std::string_view subtitle(DrumKit kit) { return kitSubtitles[index(kit)]; }

std::optional<DrumKit> parseDrumKit(std::string_view text) {
    for (DrumKit kit : allKits)
        if (rawValue(kit) == text) return kit;
    return std::nullopt;
}

namespace {

// The field of a drum, for const and mutable selections alike.
template <typename Selection>
auto& fieldOf(Selection& selection, Drum drum) {
    switch (drum) {
        case Drum::kick: return selection.kick;
        case Drum::snare: return selection.snare;
        case Drum::hihat: return selection.hihat;
        case Drum::tom: break;
    }
    return selection.tom;
}

}  // namespace

DrumKit SoundSelection::kit(Drum drum) const { return fieldOf(*this, drum); }
DrumKit& SoundSelection::kit(Drum drum) { return fieldOf(*this, drum); }

void to_json(nlohmann::json& json, DrumKit kit) { json = std::string(rawValue(kit)); }

void from_json(const nlohmann::json& json, DrumKit& kit) {
    auto parsed = parseDrumKit(json.get<std::string>());
    if (!parsed) throw nlohmann::json::other_error::create(501, "unknown kit: " + json.get<std::string>(), &json);
    kit = *parsed;
}

void to_json(nlohmann::json& json, const SoundSelection& selection) {
    json = nlohmann::json::object();
    for (Drum drum : allDrums) json[std::string(rawValue(drum))] = selection.kit(drum);
}

void from_json(const nlohmann::json& json, SoundSelection& selection) {
    SoundSelection decoded;
    for (Drum drum : allDrums) decoded.kit(drum) = json.at(std::string(rawValue(drum))).get<DrumKit>();
    selection = decoded;
}

}  // namespace knockbox
