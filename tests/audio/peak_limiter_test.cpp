#include "audio/peak_limiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "support/sound_analysis.h"

namespace knockbox {
namespace {

constexpr double rate = 48000.0;

struct Stereo {
    std::vector<float> left, right;
};

Stereo sine(double amplitude, double frequency, std::size_t frames, double phase = 0) {
    Stereo signal{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate + phase);
        signal.left[i] = static_cast<float>(value);
        signal.right[i] = static_cast<float>(-0.5 * value);
    }
    return signal;
}

// Processes in device-sized blocks, as the mixer does.
void process(PeakLimiter& limiter, Stereo& signal, std::size_t block = 256) {
    for (std::size_t done = 0; done < signal.left.size(); done += block) {
        const std::size_t count = std::min(block, signal.left.size() - done);
        limiter.process(signal.left.data() + done, signal.right.data() + done, count);
    }
}

// The largest absolute value in [from, to).
float peak(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX) {
    return test::peakIn(samples, from, std::min(to, samples.size()) - from);
}

TEST(PeakLimiter, QuietSignalPassesUnchangedAfterTheLookAheadOrScaledByThePreGain) {
    for (const double gain : {1.0, 2.0}) {
        PeakLimiter limiter;
        limiter.prepare(rate);
        EXPECT_EQ(limiter.latencyFrames(), 47u);  // 1 ms at 48 kHz, less the current frame
        limiter.setPreGainDb(static_cast<float>(20 * std::log10(gain)));
        const Stereo input = sine(0.45, 50, 9600);
        Stereo output = input;
        process(limiter, output);
        // A doubling ramps in over the first block instead of stepping.
        const std::size_t delay = limiter.latencyFrames(), from = gain == 1.0 ? delay : 1000;
        const double tolerance = gain == 1.0 ? 0.0 : 1e-5;  // unchanged means bit for bit
        for (std::size_t i = from; i < input.left.size(); ++i) {
            ASSERT_NEAR(output.left[i], gain * input.left[i - delay], tolerance) << gain << " " << i;
            ASSERT_NEAR(output.right[i], gain * input.right[i - delay], tolerance) << gain << " " << i;
        }
        for (std::size_t i = delay + 1; i < 300; ++i) ASSERT_LT(std::fabs(output.left[i] - output.left[i - 1]), 0.01f);
    }
}

TEST(PeakLimiter, NeverExceedsFullScaleAcrossPreGainsAndKeepsTheLevelUp) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (float preGainDb : {0.0f, 1.58f, 3.52f, 6.0f, 12.0f, 24.0f}) {
        PeakLimiter limiter;
        limiter.setPreGainDb(preGainDb);
        limiter.prepare(rate);
        // A loud tone, then bursts of noise up to 4× full scale, then spikes.
        Stereo signal = sine(1.8, 97, 24000);
        for (std::size_t i = 8000; i < 16000; ++i) {
            signal.left[i] = 4.0f * noise(random);
            signal.right[i] = 3.0f * noise(random);
        }
        for (std::size_t i = 16000; i < 24000; i += 997) signal.left[i] = 6.0f;
        process(limiter, signal, 200);
        EXPECT_LE(peak(signal.left), 1.0f) << preGainDb;
        EXPECT_LE(peak(signal.right), 1.0f) << preGainDb;
        // Limited, not silenced: the held tone stays close to full scale.
        EXPECT_GT(peak(signal.left, 4000, 8000), 0.95f) << preGainDb;
    }
}

TEST(PeakLimiter, GainRecoversWithTheReleaseTime) {
    PeakLimiter limiter;
    limiter.prepare(rate);
    // 50 ms at 4× full scale, then a tone at 0.5 that needs no limiting.
    Stereo signal = sine(4.0, 200, 2400);
    const Stereo tail = sine(0.5, 200, 24000);
    signal.left.insert(signal.left.end(), tail.left.begin(), tail.left.end());
    signal.right.insert(signal.right.end(), tail.right.begin(), tail.right.end());
    process(limiter, signal);
    // Still held down 10 ms after the burst, back within 1 % after 250 ms
    // (five release times), and nowhere above full scale.
    const std::size_t end = 2400 + limiter.latencyFrames();
    EXPECT_LT(peak(signal.left, end + 240, end + 720), 0.40f);
    EXPECT_GT(peak(signal.left, end + 12000, end + 14400), 0.495f);
    EXPECT_LE(peak(signal.left), 1.0f);
}

}  // namespace
}  // namespace knockbox
