#include "player/sensor_pipe_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace knockbox {
namespace {

struct SensorPipeReaderTest : ::testing::Test {
    void SetUp() override {
        running = true;
        ASSERT_EQ(pipe(fds), 0);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
    }
    void TearDown() override {
        running = true;
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }
    void send(const std::string& text) { ASSERT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size())); }
    void closeWriter() {
        close(fds[1]);
        fds[1] = -1;
    }

    int fds[2] = {-1, -1};
    RunLoop loop;
    std::vector<AccelSample> received;
};

TEST_F(SensorPipeReaderTest, SamplesArriveInOrderAcrossReadsAndTheEndIsNoticed) {
    SensorPipeReader reader(fds[0], [&](const AccelSample& sample) { received.push_back(sample); }, loop);
    send("1.000000000 0.1000000 0.0000000 -1.0000000\n1.001250000 0.2");
    loop.runFor(0.02);
    ASSERT_EQ(received.size(), 1u);
    send("000000 0.0000000 -1.0000000 0.5 0.6 0.7\n\nnot a sample\n1.002500000 0.3 0 -1\n");
    loop.runFor(0.02);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1].x, 0.2);
    ASSERT_TRUE(received[1].gyro);
    EXPECT_EQ(received[1].gyro->t, 1.00125);
    EXPECT_EQ(received[2].t, 1.0025);
    EXPECT_FALSE(reader.ended());

    closeWriter();
    loop.runFor(0.02);
    EXPECT_TRUE(reader.ended());
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(SensorPipeReaderTest, OnceTheRunIsOverNoFurtherSampleIsHandedOn) {
    // A failed recording write clears `running` inside the sink.
    SensorPipeReader reader(fds[0], [&](const AccelSample& sample) {
        received.push_back(sample);
        running = false;
    }, loop);
    send("1.0 0 0 -1\n1.00125 0 0 -1\n");
    loop.runFor(0.02);
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(SensorPipeReaderTest, ARemovedReaderReadsNothingMore) {
    SensorPipeReader reader(fds[0], [&](const AccelSample& sample) { received.push_back(sample); }, loop);
    reader.remove();
    send("1.0 0 0 -1\n");
    closeWriter();
    loop.runFor(0.02);
    EXPECT_TRUE(received.empty());
    EXPECT_FALSE(reader.ended());
}

// A descriptor that can no longer be read would wake the loop forever.
TEST_F(SensorPipeReaderTest, AnUnreadablePipeCountsAsEnded) {
    SensorPipeReader reader(fds[0], [&](const AccelSample& sample) { received.push_back(sample); }, loop);
    close(fds[0]);
    fds[0] = -1;
    loop.runFor(0.02);
    EXPECT_TRUE(reader.ended());
}

}  // namespace
}  // namespace knockbox
