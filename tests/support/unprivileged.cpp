#include "support/unprivileged.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>

namespace knockbox::test {
namespace {
namespace fs = std::filesystem;

// The checkout may lie where "nobody" cannot go (under /root, say): files
// that user needs (programs, the leak checker's suppressions) are copied once
// into a folder everyone may enter.
std::string reachableCopy(const std::string& file) {
    static TemporaryDirectory folder;
    static std::map<std::string, std::string> copies;
    auto [entry, added] = copies.try_emplace(file);
    if (added) {
        const fs::path copy = folder.path() / std::to_string(copies.size()) / fs::path(file).filename();
        fs::create_directories(copy.parent_path());
        fs::permissions(copy.parent_path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);
        fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
        entry->second = copy.string();
    }
    return entry->second;
}

// LSAN_OPTIONS with its suppressions file replaced by a reachable copy.
std::optional<std::string> reachableLeakOptions() {
    const char* options = std::getenv("LSAN_OPTIONS");
    if (!options) return std::nullopt;
    std::string text = options;
    std::smatch file;
    if (!std::regex_search(text, file, std::regex("suppressions=([^:]*)"))) return text;
    return text.replace(static_cast<std::size_t>(file.position(1)), static_cast<std::size_t>(file.length(1)),
                        reachableCopy(file[1]));
}

}  // namespace

Command asUnprivilegedUser(std::string executable, ProcessSetup setup, Placement placement) {
    if (setup.argument0) throw std::logic_error("asUnprivilegedUser: argument 0 cannot be set through setpriv");
    if (geteuid() != 0) return {std::move(executable), std::move(setup)};
    if (!setup.workingDirectory) setup.workingDirectory = fs::temp_directory_path();
    if (!setup.environment.contains("LSAN_OPTIONS")) setup.environment["LSAN_OPTIONS"] = reachableLeakOptions();
    std::vector<std::string> arguments{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                                       placement == Placement::copy ? reachableCopy(executable) : executable};
    arguments.insert(arguments.end(), setup.arguments.begin(), setup.arguments.end());
    setup.arguments = std::move(arguments);
    return {"/usr/bin/setpriv", std::move(setup)};
}

ProcessResult runKnockboxUnprivileged(const std::vector<std::string>& arguments, ProcessSetup setup,
                                      double timeout) {
    setup.arguments = arguments;
    const Command command = asUnprivilegedUser(KNOCKBOX_EXECUTABLE, std::move(setup));
    return ChildProcess(command.executable, command.setup).wait(timeout);
}

}  // namespace knockbox::test
