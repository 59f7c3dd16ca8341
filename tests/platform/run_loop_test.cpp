#include "platform/run_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>


namespace knockbox {
namespace {

// Signals and pump() are checked through the program: the demo and replay end
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

}  // namespace
}  // namespace knockbox
