#include "core/drum.h"

namespace knockbox {
namespace {

constexpr std::array<std::string_view, 4> drumNames{"kick", "snare", "hihat", "tom"};

}  // namespace

std::string_view rawValue(Drum drum) { return drumNames[index(drum)]; }

std::optional<Drum> parseDrum(std::string_view text) {
    for (Drum drum : allDrums)
        if (rawValue(drum) == text) return drum;
    return std::nullopt;
}

}  // namespace knockbox
