#pragma once
// Text from outside (file contents, paths, arguments, the system's messages)
// made fit for one line of output: it can neither end the line and start a
// forged one, nor send the terminal control sequences, nor run to megabytes.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace knockbox {

// Every control character written visibly: "\n", "\r", "\t", "\xHH" for the
// other C0 controls and DEL, "\uHHHH" for the C1 controls and for Unicode's
// line, paragraph and bidirectional controls. Invalid UTF-8 is replaced by
// U+FFFD. The result holds no control character, so applying it again
// changes nothing.
std::string visibleControls(std::string_view text);

// visibleControls, cut after `limit` characters of the text; the cut is
// marked by "…".
inline constexpr std::size_t outsideTextLimit = 200;
std::string outsideText(std::string_view text, std::size_t limit = outsideTextLimit);

// A path as it goes into a line: outsideText, and "" for an empty one.
std::string pathText(const std::filesystem::path& path);

}  // namespace knockbox
