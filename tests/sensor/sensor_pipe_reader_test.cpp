#include "sensor/sensor_pipe_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace knockbox {
namespace {

struct SensorPipeReaderTest : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(pipe(fds), 0);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
    }
    void TearDown() override {
        closeEnd(0);
        closeEnd(1);
    }
    void send(const std::string& text) { ASSERT_EQ(write(fds[1], text.data(), text.size()), ssize_t(text.size())); }
    void closeEnd(int end) {
        if (fds[end] >= 0) close(fds[end]);
        fds[end] = -1;
    }
    SensorPipeReader reader(std::function<void()> after = [] {}) {
        return SensorPipeReader(fds[0], [this, after](const AccelSample& sample) {
            received.push_back(sample);
            after();
        }, loop);
    }

    int fds[2] = {-1, -1};
    RunLoop loop;
    std::vector<AccelSample> received;
};

// (How reads may cut the lines: tests of SampleLineBuffer.)
TEST_F(SensorPipeReaderTest, SamplesArriveInOrderAndTheEndIsNoticed) {
    auto pipeReader = reader();
    send("1.0 0.1 0 -1\n\nnot a sample\n1.00125 0.2 0 -1 0.5 0.6 0.7\n1.0025 0.3");
    loop.runFor(0.02);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1], (AccelSample{1.00125, 0.2, 0, -1, GyroSample{1.00125, 0.5, 0.6, 0.7}}));
    EXPECT_FALSE(pipeReader.ended());
    closeEnd(1);
    loop.runFor(0.02);
    EXPECT_TRUE(pipeReader.ended());
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(SensorPipeReaderTest, OnceTheLoopIsStoppedNoFurtherSampleIsHandedOn) {
    auto pipeReader = reader([this] { loop.stop(); });  // as Ctrl-C does
    send("1.0 0 0 -1\n1.00125 0 0 -1\n");
    loop.runFor(0.02);
    EXPECT_EQ(received.size(), 1u);
}

// A removed reader reads nothing more; a descriptor that can no longer be read
// (which would wake the loop forever) counts as ended.
TEST_F(SensorPipeReaderTest, ARemovedReaderReadsNothingAndAnUnreadablePipeHasEnded) {
    auto removed = reader();
    removed.remove();
    send("1.0 0 0 -1\n");
    closeEnd(1);
    loop.runFor(0.02);
    EXPECT_TRUE(received.empty());
    EXPECT_FALSE(removed.ended());

    auto unreadable = reader();
    closeEnd(0);
    loop.runFor(0.02);
    EXPECT_TRUE(unreadable.ended());
}

}  // namespace
}  // namespace knockbox
