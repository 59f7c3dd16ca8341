#pragma once
#include <string>
#include <vector>

namespace knockbox {

// The program entry after the process-wide values exist: parses the options,
// installs the signal handling, runs the chosen mode. Returns the exit status.
int runPlayer(std::vector<std::string> arguments);

}  // namespace knockbox
