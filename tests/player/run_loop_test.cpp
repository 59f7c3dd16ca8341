#include "player/run_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

struct RunLoopTest : ::testing::Test {
    void SetUp() override { running = true; }
    void TearDown() override { running = true; }
};

TEST_F(RunLoopTest, TimersWatchesAndPostedWorkRunOnTheLoop) {
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
    loop.runFor(0.105);
    EXPECT_GE(ticks, 8);
    EXPECT_LE(ticks, 11);
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

TEST_F(RunLoopTest, PumpWaitsItsTimeUnlessRunningClears) {
    double start = uptime();
    pump(0.05);
    EXPECT_GE(uptime() - start, 0.05);

    // A signal arriving mid-wait ends the wait within one slice.
    setupSignals();
    const auto timer = mainRunLoop().schedule(0.02, [] { std::raise(SIGTERM); });
    start = uptime();
    pump(5.0);
    EXPECT_FALSE(running);
    EXPECT_LT(uptime() - start, 0.2);
    mainRunLoop().cancel(timer);

    start = uptime();
    pump(1.0);  // already stopped: returns at once
    EXPECT_LT(uptime() - start, 0.01);
}

}  // namespace
}  // namespace knockbox
