#include "support/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace knockbox::test {
namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text does not end with a line feed";
    return lines;
}

bool eventually(const std::function<bool()>& condition, double timeout) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (fs::temp_directory_path() / "knockbox-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    // Resolved: a Mac's temporary folders lie behind links (/var, /tmp into
    // /private), and the program names the paths it finds by its own
    // resolved location.
    path_ = fs::canonical(pattern);
    fs::permissions(path_, fs::perms::all);  // tests may run the player as another user
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

ChildProcess::ChildProcess(const std::string& executable, const ProcessSetup& setup) {
    static int counter = 0;
    const std::string base = (fs::temp_directory_path() / ("knockbox-child-" + std::to_string(getpid()) + "-" +
                                                           std::to_string(++counter))).string();
    outFile_ = base + ".out";
    errFile_ = base + ".err";

    // Everything the child needs is built before fork: no allocation after it.
    std::vector<std::string> argv{setup.argument0.value_or(executable)}, environment;
    argv.insert(argv.end(), setup.arguments.begin(), setup.arguments.end());
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        if (!setup.environment.contains(text.substr(0, text.find('=')))) environment.push_back(text);
    }
    for (const auto& [name, value] : setup.environment)
        if (value) environment.push_back(name + "=" + *value);
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> list;
        for (std::string& text : strings) list.push_back(text.data());
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argvPointers = pointers(argv), envPointers = pointers(environment);
    const std::string directory = setup.workingDirectory ? setup.workingDirectory->string() : "";
    const std::string outPath = outFile_.string(), errPath = errFile_.string();
    const std::string inPath = setup.input ? setup.input->string() : "/dev/null";

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
        signal(SIGPIPE, SIG_DFL);
        execve(executable.c_str(), argvPointers.data(), envPointers.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove(outFile_, ignored);
    fs::remove(errFile_, ignored);
}

void ChildProcess::sendSignal(int signal) const {
    if (pid_ > 0) kill(pid_, signal);
}

std::string ChildProcess::outputSoFar() const { return readFile(outFile_); }
std::string ChildProcess::errorSoFar() const { return readFile(errFile_); }

ProcessResult ChildProcess::wait(double timeout) {
    ProcessResult result;
    int status = 0;
    if (!eventually([&] { return waitpid(pid_, &status, WNOHANG) != 0; }, timeout)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = readFile(outFile_);
    result.err = readFile(errFile_);
    return result;
}

ProcessSetup simulatedSensor(const fs::path& recording, const std::string& faults, std::vector<std::string> arguments) {
    return {.arguments = std::move(arguments),
            .environment = {{"KNOCKBOX_SIMULATED_SPU", recording.string()},
                            {"KNOCKBOX_SIMULATED_SPU_FAULTS", faults.empty() ? std::nullopt : std::optional(faults)}}};
}

ProcessResult runKnockbox(const std::vector<std::string>& arguments, ProcessSetup setup, double timeout) {
    setup.arguments = arguments;
    return ChildProcess(KNOCKBOX_EXECUTABLE, setup).wait(timeout);
}

}  // namespace knockbox::test
