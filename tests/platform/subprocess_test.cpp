// A real child process: pipes, status, termination.
#include "platform/subprocess.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <system_error>

#include "support/thrown.h"

namespace knockbox {
namespace {

// Everything the child writes until its end of file.
std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        pollfd readable{fd, POLLIN, 0};
        poll(&readable, 1, 5000);
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count == 0) return text;
        if (count > 0) text.append(buffer, static_cast<std::size_t>(count));
        else if (errno != EAGAIN && errno != EINTR) return text;
    }
}

TEST(Subprocess, OutputComesThroughThePipeInputIsEmptyAndTheStatusIsKept) {
    Subprocess child("/bin/sh", {"-c", "echo hello; read line; echo \"read:$?:$line\"; exit 3"});
    EXPECT_EQ(readAll(child.output()), "hello\nread:1:\n");
    EXPECT_EQ(child.wait(), 3);
    EXPECT_FALSE(child.isRunning());
    EXPECT_EQ(child.wait(), 3);
}

TEST(Subprocess, AProgramThatCannotStartThrowsTheSystemsDescription) {
    const auto error = test::thrown<std::system_error>([] { Subprocess("/nonexistent/knockbox", {"--sensor-stream"}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code().value(), ENOENT);
    EXPECT_NE(std::string(error->what()).find("No such file or directory"), std::string::npos) << error->what();
}

TEST(Subprocess, TerminateEndsTheChildAndItsStatusIsTheSignal) {
    Subprocess child("/bin/sleep", {"10"});
    EXPECT_TRUE(child.isRunning());
    EXPECT_EQ(child.terminateAndWait(), SIGTERM);
    EXPECT_FALSE(child.isRunning());

    // One that ignores SIGTERM is killed after the grace time.
    Subprocess stubborn("/bin/sh", {"-c", "trap '' TERM; echo ready; while :; do sleep 0.01; done"});
    char byte;
    pollfd readable{stubborn.output(), POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 5000), 1);
    ASSERT_EQ(read(stubborn.output(), &byte, 1), 1);
    EXPECT_EQ(stubborn.terminateAndWait(0.1), SIGKILL);
}

TEST(Subprocess, TheChildGetsDefaultSignalsSoAClosedPipeEndsIt) {
    // The player ignores SIGPIPE; a child must not inherit that.
    std::signal(SIGPIPE, SIG_IGN);
    Subprocess child("/usr/bin/yes", {});
    char buffer[64];
    pollfd readable{child.output(), POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 5000), 1);
    ASSERT_GT(read(child.output(), buffer, sizeof buffer), 0);
    child.closeOutput();
    EXPECT_EQ(child.output(), -1);
    EXPECT_EQ(child.wait(), SIGPIPE);
    std::signal(SIGPIPE, SIG_DFL);
}

}  // namespace
}  // namespace knockbox
