#pragma once
// Cutting a player line into tokens, the way the app reads it.

#include <optional>
#include <string_view>
#include <vector>

namespace knockbox {

// Cut at every space (U+0020); empty tokens dropped.
std::vector<std::string_view> splitOnSpaces(std::string_view line);
// Cut at every character that is white space in the Unicode sense (tabs, line
// ends, no-break and other Unicode spaces included); empty tokens dropped.
std::vector<std::string_view> splitOnWhitespace(std::string_view line);

// An optional sign and decimal digits only, within int's range.
std::optional<int> parseInteger(std::string_view text);

constexpr bool contains(std::string_view line, std::string_view text) {
    return line.find(text) != std::string_view::npos;
}

}  // namespace knockbox
