#pragma once
// The self-test's group for the configuration app's settings: the player's
// self-test runs it through the hook the program's entry hands in.

#include <filesystem>
#include <vector>

#include "player/self_test.h"

namespace knockbox {

// Default settings give the player's defaults; a settings file written in
// `folder` reads back with every field; invalid files give the defaults.
std::vector<SelfCheck> checkUISettings(const std::filesystem::path& folder);

}  // namespace knockbox
