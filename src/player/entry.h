#pragma once
#include <functional>
#include <string>
#include <vector>

namespace knockbox {

struct Options;

// Runs the configuration app (the mode "ui") until it quits, throwing like
// any run mode. The player cannot reach the app itself (the app is built on
// the player), so the executable hands it in.
using ConfigurationUILauncher = std::function<void(const Options&)>;

// The program entry after the process-wide values exist: parses the options,
// installs the signal handling, runs the chosen mode. Returns the exit status.
// Without a launcher the mode "ui" is refused.
int runPlayer(std::vector<std::string> arguments, const ConfigurationUILauncher& launchUI = {});

}  // namespace knockbox
