#pragma once
// Checks of the player's own lines, shared by the end-to-end tests.

#include <cstddef>
#include <string>
#include <vector>

namespace knockbox::test {

// The ready line with the default settings (its rate within `rateTolerance`
// of 800 Hz) at `at`, followed by the keys line.
void expectDefaultReadyLines(const std::vector<std::string>& lines, std::size_t at, double rateTolerance);

}  // namespace knockbox::test
