#pragma once
#include <string>
#include <vector>

#include "player/self_test.h"

namespace knockbox {

// The program entry after the process-wide values exist: parses the options,
// installs the signal handling, runs the chosen mode. Returns the exit status.
// `uiSettingsChecks`: the self-test's group for the configuration app's
// settings, which only the program's entry can reach.
int runPlayer(std::vector<std::string> arguments, const SelfCheckGroup& uiSettingsChecks = {});

}  // namespace knockbox
