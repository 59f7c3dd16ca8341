#include "program_runs.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace knockbox::bench {
namespace fs = std::filesystem;

Workspace::Workspace() {
    std::string pattern = (fs::temp_directory_path() / "knockbox-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    fs::permissions(folder_, fs::perms::all);
    program_ = folder_ / "knockbox";
    fs::copy_file(KNOCKBOX_EXECUTABLE, program_);
}

Workspace::~Workspace() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::pair<std::string, std::vector<std::string>> Workspace::command(const std::vector<std::string>& arguments) const {
    if (geteuid() != 0) return {program_.string(), arguments};
    std::vector<std::string> wrapped{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", program_.string()};
    wrapped.insert(wrapped.end(), arguments.begin(), arguments.end());
    return {"/usr/bin/setpriv", wrapped};
}

namespace {

// Fields of /proc/<pid>/stat after the command name (which may hold anything).
std::vector<std::string> statFields(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    std::vector<std::string> fields;
    if (close == std::string::npos) return fields;
    std::istringstream rest(text.substr(close + 2));
    for (std::string field; rest >> field;) fields.push_back(field);
    return fields;
}

double uptimeSeconds() {
    std::ifstream in("/proc/uptime");
    double seconds = 0;
    in >> seconds;
    return seconds;
}

}  // namespace

ProcessTimes processTimes(pid_t pid) {
    const std::vector<std::string> fields = statFields(pid);  // field 3 (state) is fields[0]
    if (fields.size() < 20) return {};
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double cpu = (std::stod(fields[11]) + std::stod(fields[12])) / tick;  // utime, stime
    const double started = std::stod(fields[19]) / tick;                         // starttime
    return {cpu, uptimeSeconds() - started};
}

std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::vector<std::string> fields = statFields(static_cast<pid_t>(std::stol(name)));
        if (fields.size() > 1 && std::stol(fields[1]) == parent) children.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return children;
}

}  // namespace knockbox::bench
