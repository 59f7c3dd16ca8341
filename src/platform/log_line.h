#pragma once
#include <string_view>

namespace knockbox {

// Writes one player line (the message and a line feed) to standard error in
// a single write, so lines of the player and its sensor process never mix.
// Control characters in the message are written visibly (visibleControls).
void logLine(std::string_view message);

}  // namespace knockbox
