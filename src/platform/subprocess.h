#pragma once
// A child program whose standard output the player reads: standard input from
// the null device, standard output into a pipe, standard error shared with
// this process (its messages appear among the player's) or into the same pipe.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace knockbox {

class Subprocess {
public:
    enum class Errors { shared, intoPipe };

    // Starts the program with the arguments (without argument 0, which is the
    // executable's path). Signal handling and the signal mask are reset to the
    // defaults in the child. Throws std::system_error with the system's
    // description when the program cannot be started.
    Subprocess(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
               Errors errors = Errors::shared);
    // A child still running is terminated and reaped; the pipe is closed.
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    pid_t pid() const { return pid_; }
    // The pipe's read end: non-blocking and close-on-exec; -1 once closed.
    int output() const { return output_; }
    void closeOutput();

    // True until the child has been reaped.
    bool isRunning();
    // Sends SIGTERM unless the child has been reaped.
    void terminate();
    // Blocks until the child exits; its termination status.
    int wait();
    // SIGTERM, up to `grace` seconds for the child to end, then SIGKILL; reaps it.
    int terminateAndWait(double grace = 2.0);

private:
    void reaped(int waitStatus);

    pid_t pid_ = -1;
    int output_ = -1;
    std::optional<int> status_;
};

// A wait status as one number: the exit status, or the number of the signal
// that ended the process.
int terminationStatus(int waitStatus);

}  // namespace knockbox
