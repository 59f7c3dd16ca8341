#include "platform/run_loop.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

// Signals are checked through the program: the demo, replay and live play end
// within a slice on SIGINT and SIGTERM (tests/e2e).
TEST(RunLoop, TimersWatchesAndPostedWorkRunOnTheLoop) {
    RunLoop loop;
    int ticks = 0, reads = 0, posted = 0;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const auto timer = loop.schedule(0.01, [&] { ++ticks; });
    const auto watch = loop.watch(fds[0], [&] {
        char byte;
        ASSERT_EQ(read(fds[0], &byte, 1), 1);
        ++reads;
    });
    loop.post([&] { ++posted; });
    ASSERT_EQ(write(fds[1], "ab", 2), 2);
    const double start = uptime();
    loop.runFor(0.105);
    const double elapsed = uptime() - start;
    // However busy the machine: a timer never fires early and never bursts.
    EXPECT_GE(ticks, 1);
    EXPECT_LE(ticks, static_cast<int>(elapsed / 0.01));
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(posted, 1);

    loop.cancel(timer);
    loop.cancel(watch);
    ASSERT_EQ(write(fds[1], "c", 1), 1);
    const int before = ticks;
    loop.runFor(0.03);
    EXPECT_EQ(ticks, before);
    EXPECT_EQ(reads, 2);
    close(fds[0]);
    close(fds[1]);
}

TEST(RunLoop, ALateTimerSkipsAheadInsteadOfBursting) {
    RunLoop loop;
    int ticks = 0;
    loop.schedule(0.005, [&] {
        if (++ticks == 1) std::this_thread::sleep_for(std::chrono::milliseconds(60));  // a dozen intervals
    });
    const double start = uptime();
    loop.runFor(0.1);
    const double afterBlock = uptime() - start - 0.06;
    // Catching up would fire once per missed interval: about twice as many.
    EXPECT_LE(ticks, 2 + static_cast<int>(afterBlock / 0.005));
}

TEST(RunLoop, AHandlerMayCancelItselfAndStopTheLoopForGood) {
    RunLoop loop;
    int ticks = 0;
    RunLoop::Token timer = 0;
    timer = loop.schedule(0.001, [&] {
        ++ticks;
        loop.cancel(timer);  // its own handler keeps running to the end
        loop.stop();
    });
    const double start = uptime();
    loop.runFor(30);
    EXPECT_LT(uptime() - start, 10);  // ended by stop(), not by the 30 s
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(loop.stopped());
    loop.runFor(30);  // a stopped loop waits no more
    EXPECT_LT(uptime() - start, 10);
}

// A handler may wait on the loop itself; the outer turn then never acts on
// its poll's stale answer (which would read the pipe the inner turn drained).
// The second reader outlasts the inner wait, so that wait ends on the very
// turn that found the second pipe ready.
TEST(RunLoop, AHandlerMayRunTheLoopItself) {
    RunLoop loop;
    int first[2], second[2], reads = 0, emptyReads = 0;
    ASSERT_TRUE(pipe(first) == 0 && pipe(second) == 0);
    fcntl(second[0], F_SETFL, O_NONBLOCK);
    const auto drain = [&](int fd) {
        char byte;
        ++(read(fd, &byte, 1) == 1 ? reads : emptyReads);
    };
    loop.watch(first[0], [&] { drain(first[0]); loop.runFor(0.005); });
    loop.watch(second[0], [&] { drain(second[0]); std::this_thread::sleep_for(std::chrono::milliseconds(10)); });
    ASSERT_TRUE(write(first[1], "a", 1) == 1 && write(second[1], "b", 1) == 1);
    loop.runFor(0.05);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(emptyReads, 0);
    for (int fd : {first[0], first[1], second[0], second[1]}) close(fd);
}

}  // namespace
}  // namespace knockbox
