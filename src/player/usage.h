#pragma once
#include <string_view>

namespace knockbox {

// The player's usage text, 33 lines, without a final line feed.
extern const std::string_view usageText;

}  // namespace knockbox
