// The engine on the system's default output: the test sound server of
// scripts/sound-server.sh (a PulseAudio null sink).
#include "audio/rtaudio_output_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/drum_audio.h"
#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

TEST(AudibleOutput, DefaultOutputTakesEachStartInTheNextBlock) {
    ASSERT_NE(std::getenv("KNOCKBOX_TEST_SINK"), nullptr)
        << "no test sound server: source scripts/sound-server.sh before running the tests";
    DrumAudio audio;
    const OutputFormat format = audio.outputFormat();
    EXPECT_EQ(format.sampleRate, 48000.0);
    EXPECT_EQ(format.channels, 2);
    EXPECT_LE(format.bufferFrames, preferredBufferFrames);

    for (Drum drum : allDrums) {
        const auto before = audio.mixer().startsTaken();
        const std::uint64_t rendered = audio.mixer().framesRendered();
        audio.play(drum, 0.7f, 0);
        const double played = uptime();
        while (audio.mixer().startsTaken() == before && uptime() - played < 5.0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_EQ(audio.mixer().startsTaken(), before + 1);
        // The render thread takes a start in the next block it mixes, at most
        // one device buffer after the frames rendered when it was played.
        // Counted in frames: a busy machine can delay the render thread, not
        // move the start to a later block.
        EXPECT_LE(audio.mixer().lastStartFrame() - rendered, format.bufferFrames) << rawValue(drum);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    audio.stop();
    EXPECT_FALSE(audio.isRunning());
}

}  // namespace
}  // namespace knockbox
