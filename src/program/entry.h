#pragma once
// The program on top of every layer: one executable that is the player, its
// sensor process and the configuration app; the arguments choose the role.

#include <string>
#include <vector>

namespace knockbox {

// After the process-wide values exist: parses the options, installs the
// signal handling and runs the chosen mode (the configuration app, the
// self-test or one of the player's modes). Returns the exit status.
int runProgram(std::vector<std::string> arguments);

}  // namespace knockbox
