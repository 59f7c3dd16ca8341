#pragma once
// The two palm rests of the case.

#include <string_view>

namespace knockbox {

enum class Side { left, right };

constexpr std::string_view rawValue(Side side) { return side == Side::left ? "left" : "right"; }
constexpr Side opposite(Side side) { return side == Side::left ? Side::right : Side::left; }

}  // namespace knockbox
