#include "support/unprivileged.h"

#include <unistd.h>

#include <stdexcept>

namespace knockbox::test {

Command asUnprivilegedUser(std::string executable, ProcessSetup setup) {
    if (setup.argument0) throw std::logic_error("asUnprivilegedUser: argument 0 cannot be set through setpriv");
    if (geteuid() != 0) return {std::move(executable), std::move(setup)};
    std::vector<std::string> arguments{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", executable};
    arguments.insert(arguments.end(), setup.arguments.begin(), setup.arguments.end());
    setup.arguments = std::move(arguments);
    return {"/usr/bin/setpriv", std::move(setup)};
}

ProcessResult runKnockboxUnprivileged(const std::vector<std::string>& arguments, ProcessSetup setup,
                                      double timeout) {
    setup.arguments = arguments;
    const Command command = asUnprivilegedUser(KNOCKBOX_EXECUTABLE, std::move(setup));
    ChildProcess child(command.executable, command.setup);
    return child.wait(timeout);
}

}  // namespace knockbox::test
