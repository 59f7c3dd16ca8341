#pragma once
// The main run loop: one thread, turned by whoever waits. Readable file
// descriptors, repeating timers and posted work are dispatched on that
// thread, in order, so no locks are needed above it. A loop that has been
// stopped (Ctrl-C, SIGTERM, a broken output pipe, a run that failed) ends
// every wait at once, and stays stopped.

#include <functional>
#include <memory>
#include <vector>

#include <poll.h>

namespace knockbox {

class RunLoop {
public:
    using Handler = std::function<void()>;
    using Token = int;

    // The longest single wait: the loop looks at its sources at least this often.
    static constexpr double maxSlice = 0.010;

    RunLoop() = default;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Calls the handler on this loop whenever fd is readable (or at its end).
    Token watch(int fd, Handler onReadable);
    // Calls the handler every interval seconds, first one interval from now.
    Token schedule(double interval, Handler onFire);
    // Removes a watch or a timer; unknown tokens are ignored. Safe from
    // handlers, including the one being cancelled.
    void cancel(Token token);
    // Runs the handler once, on the next turn of the loop.
    void post(Handler work);

    // Dispatches whatever becomes due for `seconds`, or until `deadline`
    // (seconds of uptime); both return early once the loop is stopped. A
    // handler may run the loop itself (a wait inside a handler).
    void runFor(double seconds);
    void runUntil(double deadline);

    // Ends every wait of this loop, now and later. Never undone.
    void stop() noexcept { stopped_ = true; }
    bool stopped() const noexcept { return stopped_; }

private:
    struct Source {
        Token token;
        int fd;            // -1 for timers
        double interval;   // timers only
        double due;        // timers only
        Handler handler;
        bool cancelled = false;
    };
    Source* find(Token token);
    void runPosted();
    void turn(double deadline);

    // Each source keeps its address, so a handler runs in place (never copied)
    // even when it adds or cancels sources.
    std::vector<std::unique_ptr<Source>> sources_;
    std::vector<Handler> posted_;
    std::vector<pollfd> fds_;
    std::vector<Token> fdTokens_;
    Token nextToken_ = 1;
    unsigned long turns_ = 0;  // counts turns, so a turn sees one nested in a handler
    int depth_ = 0;  // nested runs (a handler that waits); only the outermost prunes
    bool stopped_ = false;
};

// The main thread's loop.
RunLoop& mainRunLoop();

// SIGINT, SIGTERM and SIGHUP stop the main loop (through a self-pipe it
// watches); SIGPIPE and SIGXFSZ are ignored, so a write to a closed pipe or
// past a file size limit fails instead of ending the process.
void setupSignals();

// Standard input reaching its end (or failing) stops the main loop as those
// signals do: a parent that hands its child a pipe as standard input, and
// keeps the other end, ends the child by going away, however it goes. What
// arrives on standard input meanwhile is read and ignored.
void stopAtEndOfInput();

// The read end of the pipe those signals write to, for an event loop
// other than mainRunLoop (the configuration app's), which then drains it
// itself; -1 before setupSignals.
int signalPipeReadEnd();

}  // namespace knockbox
