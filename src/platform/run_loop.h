#pragma once
// The player's main run loop: one thread, turned in short slices by whoever
// waits. Readable file descriptors, repeating timers and posted work are
// dispatched on that thread, in order, so no locks are needed above it.

#include <atomic>
#include <functional>
#include <vector>

namespace knockbox {

// Cleared by SIGINT/SIGTERM (through the loop), by a broken output pipe and by
// a failed recording write; every wait of the program ends once it is false.
extern std::atomic<bool> running;

class RunLoop {
public:
    using Handler = std::function<void()>;
    using Token = int;

    RunLoop() = default;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Calls the handler on this loop whenever fd is readable (or at its end).
    Token watch(int fd, Handler onReadable);
    // Calls the handler every interval seconds, first one interval from now.
    Token schedule(double interval, Handler onFire);
    // Removes a watch or a timer; unknown tokens are ignored. Safe from handlers.
    void cancel(Token token);
    // Runs the handler once, on the next turn of the loop.
    void post(Handler work);

    // Dispatches whatever becomes due for up to `seconds`; returns early once
    // `running` is false.
    void runFor(double seconds);

private:
    struct Source {
        Token token;
        int fd;            // -1 for timers
        double interval;   // timers only
        double due;        // timers only
        Handler handler;
    };
    Source* find(Token token);
    void runPosted();

    std::vector<Source> sources_;
    std::vector<Handler> posted_;
    Token nextToken_ = 1;
};

// The main thread's loop.
RunLoop& mainRunLoop();

// SIGINT and SIGTERM clear `running` (on the main loop); SIGPIPE is ignored,
// so a write to a closed pipe fails instead of ending the process.
void setupSignals();

// Keeps the main loop turning for `seconds` in slices of at most 10 ms;
// returns as soon as `running` is false.
void pump(double seconds);

}  // namespace knockbox
