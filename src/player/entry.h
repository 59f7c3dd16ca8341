#pragma once
#include <functional>
#include <string>
#include <vector>

#include "player/self_test.h"

namespace knockbox {

struct Options;

// Runs the configuration app (the mode "ui") until it quits, throwing like
// any run mode. The player cannot reach the app itself (the app is built on
// the player), so the executable hands it in.
using ConfigurationUILauncher = std::function<void(const Options&)>;

// The program entry after the process-wide values exist: parses the options,
// installs the signal handling, runs the chosen mode. Returns the exit status.
// Without a launcher the mode "ui" is refused. `uiSettingsChecks`: the
// self-test's group for the configuration app's settings, which the player
// cannot reach either; without it that group fails.
int runPlayer(std::vector<std::string> arguments, const ConfigurationUILauncher& launchUI = {},
              const SelfCheckGroup& uiSettingsChecks = {});

}  // namespace knockbox
