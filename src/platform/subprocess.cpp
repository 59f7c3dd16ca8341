#include "platform/subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "core/line_text.h"

extern char** environ;

namespace knockbox {
namespace {

// Frees the spawn attributes on every path.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

}  // namespace

int terminationStatus(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return WTERMSIG(waitStatus);
    return waitStatus;
}

Subprocess::Subprocess(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                       Errors errors) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::system_error(errno, std::generic_category());
    for (int fd : pipeEnds) fcntl(fd, F_SETFD, FD_CLOEXEC);  // the child gets only its dup as fd 1

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, pipeEnds[1], STDOUT_FILENO);
    if (errors == Errors::intoPipe) posix_spawn_file_actions_adddup2(&setup.actions, pipeEnds[1], STDERR_FILENO);
    // The player ignores SIGPIPE and may block signals; the child starts clean.
    sigset_t defaults, empty;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, signal);
    sigemptyset(&empty);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setsigmask(&setup.attributes, &empty);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> argv{executable.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    const int error = posix_spawn(&pid_, argv[0].c_str(), &setup.actions, &setup.attributes,
                                  pointers.data(), environ);
    close(pipeEnds[1]);
    if (error != 0) {
        close(pipeEnds[0]);
        pid_ = -1;
        throw std::system_error(error, std::generic_category(), pathText(executable));
    }
    output_ = pipeEnds[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
}

Subprocess::~Subprocess() {
    if (pid_ > 0 && !status_) terminateAndWait();
    closeOutput();
}

void Subprocess::closeOutput() {
    if (output_ >= 0) close(output_);  // a close error changes nothing for us
    output_ = -1;
}

void Subprocess::reaped(int waitStatus) { status_ = terminationStatus(waitStatus); }

bool Subprocess::isRunning() {
    if (status_ || pid_ <= 0) return false;
    int waitStatus = 0;
    if (waitpid(pid_, &waitStatus, WNOHANG) == pid_) reaped(waitStatus);
    return !status_;
}

void Subprocess::terminate() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGTERM);
        kill(pid_, SIGCONT);  // a stopped child can only act on SIGTERM once it runs again
    }
}

int Subprocess::wait() {
    while (!status_) {
        int waitStatus = 0;
        const pid_t result = waitpid(pid_, &waitStatus, 0);
        if (result == pid_) reaped(waitStatus);
        else if (result < 0 && errno != EINTR) status_ = -1;  // not our child any more
    }
    return *status_;
}

int Subprocess::terminateAndWait(double grace) {
    terminate();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(grace);
    while (isRunning() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (isRunning()) kill(pid_, SIGKILL);
    return wait();
}

}  // namespace knockbox
