#include "platform/run_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>

#include "platform/event_wait.h"
#include "platform/monotonic_clock.h"

namespace knockbox {

std::atomic<bool> running{true};

namespace {

constexpr double slice = 0.010;

// Write end written by the signal handler; read end watched by the main loop.
int signalPipe[2] = {-1, -1};

extern "C" void noteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] auto written = write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

RunLoop& mainRunLoop() {
    static RunLoop loop;
    return loop;
}

RunLoop::Token RunLoop::watch(int fd, Handler onReadable) {
    sources_.push_back({nextToken_, fd, 0, 0, std::move(onReadable)});
    return nextToken_++;
}

RunLoop::Token RunLoop::schedule(double interval, Handler onFire) {
    sources_.push_back({nextToken_, -1, interval, uptime() + interval, std::move(onFire)});
    return nextToken_++;
}

void RunLoop::cancel(Token token) {
    // Marked, not erased, so that a handler may cancel while the loop iterates.
    if (Source* source = find(token)) source->handler = nullptr;
}

void RunLoop::post(Handler work) { posted_.push_back(std::move(work)); }

RunLoop::Source* RunLoop::find(Token token) {
    auto it = std::find_if(sources_.begin(), sources_.end(),
                           [token](const Source& s) { return s.token == token; });
    return it == sources_.end() ? nullptr : &*it;
}

void RunLoop::runPosted() {
    while (!posted_.empty()) {
        std::vector<Handler> work;
        work.swap(posted_);
        for (Handler& item : work) item();
    }
}

void RunLoop::runFor(double seconds) {
    const double deadline = uptime() + seconds;
    std::vector<pollfd> fds;
    std::vector<Token> fdTokens;
    while (running) {
        runPosted();
        std::erase_if(sources_, [](const Source& s) { return !s.handler; });

        double now = uptime();
        double wakeAt = deadline;
        fds.clear();
        fdTokens.clear();
        for (const Source& source : sources_) {
            if (source.fd >= 0) {
                fds.push_back({source.fd, POLLIN, 0});
                fdTokens.push_back(source.token);
            } else {
                wakeAt = std::min(wakeAt, source.due);
            }
        }
        if (now >= deadline) break;
        const int ready = waitForEvents(fds.data(), fds.size(), wakeAt - now);
        if (ready < 0 && errno != EINTR) break;

        for (std::size_t i = 0; ready > 0 && i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            // Look the source up again: an earlier handler may have cancelled it.
            if (Source* source = find(fdTokens[i]); source && source->handler) {
                Handler handler = source->handler;
                handler();
            }
        }
        now = uptime();
        for (std::size_t i = 0; i < sources_.size(); ++i) {
            if (sources_[i].fd >= 0 || !sources_[i].handler || sources_[i].due > now) continue;
            // A timer late by more than one interval skips ahead instead of bursting.
            sources_[i].due = std::max(sources_[i].due + sources_[i].interval, now);
            Handler handler = sources_[i].handler;
            handler();
        }
    }
    runPosted();
}

void setupSignals() {
    if (signalPipe[0] < 0 && pipe(signalPipe) == 0) {
        for (int fd : signalPipe) {  // pipe2 is not on every platform
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            fcntl(fd, F_SETFL, O_NONBLOCK);
        }
        mainRunLoop().watch(signalPipe[0], [] {
            char bytes[16];
            while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            running = false;
        });
    }
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void pump(double seconds) {
    const double end = uptime() + seconds;
    while (running) {
        const double left = end - uptime();
        if (left <= 0) break;
        mainRunLoop().runFor(std::min(slice, left));
    }
}

}  // namespace knockbox
