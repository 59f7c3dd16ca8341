// The real executable heard for real: it plays into the test sound server's
// null sink, and what reaches the sink is recorded and analysed. (Which
// sample each drum and velocity plays: tests/audio; how a signal ends a run:
// live_mode_test.cpp.)
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/sound_analysis.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using simulation::Strength;
using test::recordingRate;

// A run of the program with these arguments, playing into the test sound
// server's null sink (scripts/sound-server.sh), and the interleaved stereo
// 32-bit float at 48 kHz that the sink's monitor received from before the run
// until a moment after its end. The suites that use it are named Audible*
// and run one at a time (tests/CMakeLists.txt), so the recording holds
// nothing but this run's sound. Without the server the test fails, saying
// so, instead of being skipped.
std::pair<test::ProcessResult, std::vector<float>> heard(const std::vector<std::string>& arguments) {
    const char* sink = std::getenv("KNOCKBOX_TEST_SINK");
    if (!sink || !std::getenv("PULSE_SERVER"))
        throw std::runtime_error("no test sound server: source scripts/sound-server.sh before running the tests");
    const test::TemporaryDirectory folder;
    const fs::path file = folder / "recording.raw";
    // Through env, which finds parecord on PATH (or says it is not installed).
    test::ChildProcess recorder("/usr/bin/env", {.arguments = {"parecord", "--raw", "--format=float32le", "--rate=48000",
                                                               "--channels=2", "--latency-msec=10",
                                                               "--device=" + std::string(sink) + ".monitor", file.string()}});
    std::error_code error;
    if (!test::eventually([&] { return fs::file_size(file, error) > 0 && !error; }, 10))
        throw std::runtime_error("parecord recorded nothing: " + recorder.errorSoFar());
    auto result = test::runKnockbox(arguments, {}, 30);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    recorder.sendSignal(SIGINT);
    recorder.wait(10);
    const std::string bytes = test::readFile(file);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return {std::move(result), std::move(samples)};
}

TEST(AudibleDemo, PlaysEightHitsInOrderThatTheSinkRecords) {
    const auto [result, samples] = heard({"--demo"});
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
    ASSERT_EQ(onsets.size(), 8u) << "recorded " << left.size() / recordingRate << " s";
    // The hits 0.45 s apart: a busy machine can hold one back, so the usual
    // spacing (the median of seven) is compared.
    std::vector<double> spacings;
    for (std::size_t k = 1; k < onsets.size(); ++k)
        spacings.push_back(static_cast<double>(onsets[k].frame - onsets[k - 1].frame) / recordingRate);
    std::nth_element(spacings.begin(), spacings.begin() + 3, spacings.end());
    EXPECT_NEAR(spacings[3], 0.45, 0.02);
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

// Each hit of a replayed groove sounds at the hit's time, panned to its side,
// louder for a harder tap.
TEST(AudibleReplay, EachHitSoundsAtItsTimeOnItsSideAndByItsStrength) {
    // Volume 0.5 keeps the limiter out of the way of the loudness comparison.
    // Round robin alternates two variations of each sound, so loudness is
    // compared between the first and third tap of a drum (same variation).
    // 0.4 s apart, every sound has faded enough for the next onset to stand out.
    simulation::Scene scene;
    scene.seed = 5;
    scene.duration = 5.4;
    scene.taps = {{2.2, Side::left, Strength::gentle, 0.08},  {2.6, Side::left, Strength::gentle, 0.10},
                  {3.0, Side::left, Strength::gentle, 0.12},  {3.4, Side::right, Strength::firm, 0.25},
                  {3.8, Side::right, Strength::firm, 0.30},   {4.2, Side::right, Strength::firm, 0.40},
                  {4.6, Side::right, Strength::gentle, 0.09}, {5.0, Side::left, Strength::firm, 0.30}};
    const std::vector<AccelSample> samples = simulation::render(scene);
    test::TemporaryDirectory directory;
    test::writeFile(directory / "groove.csv", recordingText(samples));

    const auto [result, sound] = heard({"--replay", (directory / "groove.csv").string(), "--volume", "0.5"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;

    const std::vector<float> left = test::channelOf(sound, 0), right = test::channelOf(sound, 1);
    std::vector<float> mono(left.size());
    for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = left[i] + right[i];
    const std::vector<test::Onset> onsets = test::findOnsets(mono);
    const auto intended = simulation::intendedHits(scene);
    // (The replay's lines: the replay's tests.)
    ASSERT_EQ(onsets.size(), intended.size()) << "recorded " << mono.size() / recordingRate << " s\n" << result.err;

    // Every sound comes at its hit's time after the replay's start: one common
    // delay (start-up and output latency) explains the onsets. A busy machine
    // can hold a sound back, never bring one early, so at least half of the
    // delays agree within 60 ms and none is more than 0.3 s behind them; a
    // replay paced wrongly drifts by far more over its 2.8 s of taps.
    std::vector<double> delays;
    for (std::size_t k = 0; k < onsets.size(); ++k)
        delays.push_back(static_cast<double>(onsets[k].frame) / recordingRate - (intended[k].t - samples.front().t));
    std::sort(delays.begin(), delays.end());
    EXPECT_LT(delays[3] - delays[0], 0.060) << "sounds drift against their hits";
    EXPECT_LT(delays[7] - delays[0], 0.3) << "a sound far too late";

    const std::size_t span = recordingRate * 6 / 100;
    std::vector<double> loudness;  // on the hit's own side, over its first 100 ms
    for (std::size_t k = 0; k < onsets.size(); ++k) {
        const float l = test::peakIn(left, onsets[k].frame, span), r = test::peakIn(right, onsets[k].frame, span);
        if (intended[k].side == Side::left) EXPECT_GT(l, 1.5f * r) << "hit " << k << " not on the left";
        else EXPECT_GT(r, 1.5f * l) << "hit " << k << " not on the right";
        const std::vector<float>& own = intended[k].side == Side::left ? left : right;
        loudness.push_back(test::rmsIn(own, onsets[k].frame, recordingRate / 10));
    }
    for (std::size_t k : {0, 3}) {
        EXPECT_EQ(intended[k].drum, intended[k + 2].drum);
        EXPECT_GT(loudness[k + 2], 1.05 * loudness[k]) << "harder tap " << k + 2 << " not louder\n" << result.err;
    }
}

}  // namespace
}  // namespace knockbox
