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

TEST(AudibleOutput, DefaultOutputTakesEachStartWithinABlockOrTwo) {
    ASSERT_NE(std::getenv("KNOCKBOX_TEST_SINK"), nullptr)
        << "no test sound server: source scripts/sound-server.sh before running the tests";
    DrumAudio audio;
    const OutputFormat format = audio.outputFormat();
    EXPECT_EQ(format.sampleRate, 48000.0);
    EXPECT_EQ(format.channels, 2);
    EXPECT_LE(format.bufferFrames, preferredBufferFrames);

    for (Drum drum : allDrums) {
        const auto before = audio.mixer().startsTaken();
        const double played = uptime();
        audio.play(drum, 0.7f, 0);
        while (audio.mixer().startsTaken() == before && uptime() - played < 1.0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_EQ(audio.mixer().startsTaken(), before + 1);
        // The render thread picks the start up at its next block (5.3 ms);
        // allow for a busy test machine.
        EXPECT_LT(audio.mixer().lastStartTakenAt() - played, 0.05) << rawValue(drum);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    audio.stop();
    EXPECT_FALSE(audio.isRunning());
}

}  // namespace
}  // namespace knockbox
