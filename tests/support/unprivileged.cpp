#include "support/unprivileged.h"

#include <unistd.h>

#include <filesystem>
#include <map>
#include <stdexcept>

namespace knockbox::test {
namespace {
namespace fs = std::filesystem;

// The checkout may lie where "nobody" cannot go (under /root, say): programs
// run as that user are copied once into a folder everyone may enter.
std::string reachableCopy(const std::string& executable) {
    static TemporaryDirectory folder;
    static std::map<std::string, std::string> copies;
    auto [entry, added] = copies.try_emplace(executable);
    if (added) {
        const fs::path copy = folder.path() / std::to_string(copies.size()) / fs::path(executable).filename();
        fs::create_directories(copy.parent_path());
        fs::permissions(copy.parent_path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);
        fs::copy_file(executable, copy, fs::copy_options::overwrite_existing);
        entry->second = copy.string();
    }
    return entry->second;
}

}  // namespace

Command asUnprivilegedUser(std::string executable, ProcessSetup setup) {
    if (setup.argument0) throw std::logic_error("asUnprivilegedUser: argument 0 cannot be set through setpriv");
    if (geteuid() != 0) return {std::move(executable), std::move(setup)};
    if (!setup.workingDirectory) setup.workingDirectory = fs::temp_directory_path();
    std::vector<std::string> arguments{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                                       reachableCopy(executable)};
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
