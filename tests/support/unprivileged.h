#pragma once
// Tests run as root in CI, but the player refuses to run as root: these run a
// program as the user "nobody" (group "nogroup", no supplementary groups,
// through setpriv) when the tests are root, and unchanged otherwise. The
// environment is kept; files the program needs must be readable by others
// (TemporaryDirectory is).

#include "support/child_process.h"

namespace knockbox::test {

struct Command {
    std::string executable;
    ProcessSetup setup;
};

// Where that user runs the program from: a copy in a folder everyone may
// enter (the default), or the file itself, which must then be reachable (an
// installed program finds its files beside it).
enum class Placement { copy, inPlace };

// The command to hand to ChildProcess. A custom argument 0 cannot be kept
// through setpriv and must not be set.
Command asUnprivilegedUser(std::string executable, ProcessSetup setup = {}, Placement placement = Placement::copy);

// runKnockbox, unprivileged.
ProcessResult runKnockboxUnprivileged(const std::vector<std::string>& arguments, ProcessSetup setup = {},
                                      double timeout = 60);

}  // namespace knockbox::test
