#pragma once
// Running the built program from a benchmark: as the user "nobody" when the
// benchmark runs as root (the player refuses root), from a copy that user can
// reach, with the simulated sensor's recording in a folder of its own.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace knockbox::bench {

class Workspace {
public:
    Workspace();  // a fresh folder everyone may read, and the program copied into it
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }
    // The program (or its setpriv wrapper) and the arguments that run it with `arguments`.
    std::pair<std::string, std::vector<std::string>> command(const std::vector<std::string>& arguments) const;

private:
    std::filesystem::path folder_;
    std::filesystem::path program_;
};

// CPU seconds (user and system) a running process has used, and the seconds
// since it started, from /proc.
struct ProcessTimes {
    double cpu = 0;
    double alive = 0;
};
ProcessTimes processTimes(pid_t pid);

// The processes whose parent is `parent`.
std::vector<pid_t> childrenOf(pid_t parent);

}  // namespace knockbox::bench
