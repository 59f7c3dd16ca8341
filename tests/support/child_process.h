#pragma once
// Runs a program as a real child process for end-to-end tests: arguments,
// environment changes, standard output and error captured in files.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace knockbox::test {

struct ProcessSetup {
    std::vector<std::string> arguments{};                            // without argument 0
    std::map<std::string, std::optional<std::string>> environment{};  // set, or remove when empty
    std::optional<std::filesystem::path> workingDirectory{};
    std::optional<std::string> argument0{};  // defaults to the executable
    std::optional<std::filesystem::path> input{};  // standard input; defaults to the null device
};

struct ProcessResult {
    int exitStatus = -1;  // -1 when ended by a signal
    int signal = 0;
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    ChildProcess(const std::string& executable, const ProcessSetup& setup);
    ~ChildProcess();  // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void sendSignal(int signal) const;
    // Waits for the end; a child running longer than `timeout` seconds is
    // killed (and the test sees signal 9).
    ProcessResult wait(double timeout = 60);
    // What the child has written to standard output and error so far.
    std::string outputSoFar() const;
    std::string errorSoFar() const;

private:
    pid_t pid_ = -1;
    std::filesystem::path outFile_, errFile_;
};

// Starts the knockbox executable of this build and waits for its end.
ProcessResult runKnockbox(const std::vector<std::string>& arguments, ProcessSetup setup = {},
                          double timeout = 60);

// The environment that gives the program the simulated sensor, playing
// `recording` with the faults the companion variable names (none when empty).
ProcessSetup simulatedSensor(const std::filesystem::path& recording, const std::string& faults = "",
                             std::vector<std::string> arguments = {});

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& text);

// Polls until the condition holds; false when `timeout` seconds pass first.
bool eventually(const std::function<bool()>& condition, double timeout = 10);

// The lines of a program's output, without their line feeds; a last line
// without one is a test failure (every player line ends with a line feed).
std::vector<std::string> linesOf(const std::string& text);

// A fresh directory under the system's temporary folder, removed at the end;
// its path has no symbolic link in it.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace knockbox::test
