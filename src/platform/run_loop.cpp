#include "platform/run_loop.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "platform/event_wait.h"
#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

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
    sources_.push_back(std::make_unique<Source>(Source{nextToken_, fd, 0, 0, std::move(onReadable)}));
    return nextToken_++;
}

RunLoop::Token RunLoop::schedule(double interval, Handler onFire) {
    sources_.push_back(
        std::make_unique<Source>(Source{nextToken_, -1, interval, uptime() + interval, std::move(onFire)}));
    return nextToken_++;
}

void RunLoop::cancel(Token token) {
    // Marked, not erased: the handler may be running right now.
    if (Source* source = find(token)) source->cancelled = true;
}

void RunLoop::post(Handler work) { posted_.push_back(std::move(work)); }

RunLoop::Source* RunLoop::find(Token token) {
    for (const auto& source : sources_)
        if (source->token == token && !source->cancelled) return source.get();
    return nullptr;
}

void RunLoop::runPosted() {
    while (!posted_.empty()) {
        std::vector<Handler> work;
        work.swap(posted_);
        for (Handler& item : work) item();
    }
}

void RunLoop::runFor(double seconds) { runUntil(uptime() + seconds); }

void RunLoop::runUntil(double deadline) {
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } nested{++depth_};  // also when a handler throws
    while (!stopped_) {
        runPosted();
        if (stopped_ || uptime() >= deadline) break;
        turn(deadline);
    }
    runPosted();
}

// One wait of at most a slice, then whatever became due.
void RunLoop::turn(double deadline) {
    if (depth_ == 1) std::erase_if(sources_, [](const auto& source) { return source->cancelled; });
    const unsigned long thisTurn = ++turns_;
    const double now = uptime();
    double wakeAt = std::min(deadline, now + maxSlice);
    fds_.clear();
    fdTokens_.clear();
    for (const auto& source : sources_) {
        if (source->cancelled) continue;
        if (source->fd >= 0) {
            fds_.push_back({source->fd, POLLIN, 0});
            fdTokens_.push_back(source->token);
        } else {
            wakeAt = std::min(wakeAt, source->due);
        }
    }
    const int ready = waitForEvents(fds_.data(), fds_.size(), wakeAt - now);
    if (ready < 0 && errno != EINTR) return;

    // A handler that ran the loop itself has had the descriptors polled and
    // dispatched again: what this turn's poll said is stale (and the poll set
    // was refilled), so the rest waits for the next turn.
    for (std::size_t i = 0; ready > 0 && i < fds_.size() && !stopped_ && turns_ == thisTurn; ++i) {
        if (fds_[i].revents == 0) continue;
        // Looked up again: an earlier handler may have cancelled it.
        if (Source* source = find(fdTokens_[i])) source->handler();
    }
    const double after = uptime();
    // By index: a handler may add sources (the new ones wait for the next turn).
    for (std::size_t i = 0, count = sources_.size(); i < count && !stopped_; ++i) {
        Source& source = *sources_[i];
        if (source.fd >= 0 || source.cancelled || source.due > after) continue;
        // A timer late by more than one interval skips ahead instead of bursting.
        source.due = std::max(source.due + source.interval, after);
        source.handler();
    }
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
            mainRunLoop().stop();
        });
    }
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // A closed terminal (SIGHUP) ends a run as Ctrl-C does: with its summary,
    // its recording in place and the sensor's drivers restored.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write instead of ending us
}

void stopAtEndOfInput() {
    fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    mainRunLoop().watch(STDIN_FILENO, [] {
        char bytes[256];
        ssize_t got;
        while ((got = read(STDIN_FILENO, bytes, sizeof bytes)) > 0) {
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
        mainRunLoop().stop();
    });
}

int signalPipeReadEnd() { return signalPipe[0]; }

}  // namespace knockbox
