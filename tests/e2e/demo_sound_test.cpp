// --demo end to end: the real executable plays through a real PulseAudio
// null sink, and what reaches the sink is recorded and analysed. (Which
// sample each drum and velocity plays: tests/audio; how a signal ends a run:
// live_mode_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/sound_analysis.h"
#include "support/sound_server.h"

namespace knockbox {
namespace {
constexpr std::size_t rate = test::recordingRate;
constexpr double spacing = 0.45;  // seconds between the demo's hits

TEST(AudibleDemo, PlaysEightHitsInOrderThatTheSinkRecords) {
    const auto server = test::testSoundServer();
    ASSERT_TRUE(server) << test::noSoundServer;
    test::SourceRecording recording(server->address, server->monitor);
    const auto result = test::runKnockbox({"--demo"}, {.environment = {{"PULSE_SERVER", server->address}}}, 30);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::vector<float> samples = recording.stop();

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    // And nothing from the audio library.
    EXPECT_EQ(result.err, "DEMO kick volume 0.3\nDEMO kick volume 0.8\nDEMO snare volume 0.3\nDEMO snare volume 0.8\n"
                          "DEMO hihat volume 0.3\nDEMO hihat volume 0.8\nDEMO tom volume 0.3\nDEMO tom volume 0.8\n");

    const std::vector<float> left = test::channelOf(samples, 0);
    EXPECT_LE(std::max(test::peakIn(left, 0, left.size()), test::peakIn(test::channelOf(samples, 1), 0, left.size())),
              1.0f)
        << "a sample above full scale";

    const std::vector<test::Onset> onsets = test::findOnsets(left);
    ASSERT_EQ(onsets.size(), 8u) << "recorded " << left.size() / rate << " s";
    // The demo keeps a 0.45 s schedule from its start. A busy machine can hold
    // a hit back (the player waits for a processor) but never bring one early,
    // and a late hit does not move the next: the usual spacing (the median) is
    // 0.45 s, and every hit comes on time or a little late against the hit
    // that came most on time.
    std::vector<double> spacings, lateness;
    for (std::size_t k = 1; k < onsets.size(); ++k)
        spacings.push_back(static_cast<double>(onsets[k].frame - onsets[k - 1].frame) / rate);
    std::nth_element(spacings.begin(), spacings.begin() + 3, spacings.end());
    EXPECT_NEAR(spacings[3], spacing, 0.02) << "the median of seven spacings";
    for (std::size_t k = 0; k < onsets.size(); ++k)
        lateness.push_back(static_cast<double>(onsets[k].frame) / rate - static_cast<double>(k) * spacing);
    const double onTime = *std::min_element(lateness.begin(), lateness.end());
    for (std::size_t k = 0; k < onsets.size(); ++k) EXPECT_LT(lateness[k] - onTime, 0.2) << "hit " << k + 1;
    for (std::size_t k = 0; k < 8; k += 2)
        EXPECT_GT(onsets[k + 1].peak, 1.2f * onsets[k].peak) << "hit " << k + 2 << " (0.8) after hit " << k + 1;
}

TEST(DemoOutput, WithoutSoundServerOneErrorLine) {
    const auto result = test::runKnockbox({"--demo"}, {.environment = {{"PULSE_SERVER", "unix:/nonexistent/knockbox/native"}}});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "Błąd: No active audio output. Start a sound server (PulseAudio or PipeWire) or set PULSE_SERVER to a "
              "running one.\n");
}

}  // namespace
}  // namespace knockbox
