#include "audio/sample_synthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "audio/sample_library.h"

namespace knockbox {
namespace {

constexpr DrumKit synthesizedKits[] = {DrumKit::studio, DrumKit::electronic, DrumKit::lofi};

std::string describe(Drum drum, DrumKit kit, bool soft, int variation) {
    return std::string(rawValue(kit)) + " " + std::string(rawValue(drum)) + (soft ? " soft" : " hard") +
           " variation " + std::to_string(variation);
}

// Energy of the first difference relative to the energy of the signal: a
// crude but robust measure of how much of a sound lies in high frequencies.
double brightness(const std::vector<float>& samples) {
    double level = 0.0, change = 0.0;
    for (std::size_t n = 1; n < samples.size(); ++n) {
        level += double(samples[n]) * samples[n];
        const double step = double(samples[n]) - samples[n - 1];
        change += step * step;
    }
    return change / level;
}

// Every voice starts and ends at 0, peaks at 0.82, and the stepped decays and
// rotations of the synthesizer agree with exp and sin at every sample.
TEST(Synthesis, EveryVoiceIsBoundedAndMatchesTheClosedForms) {
    for (DrumKit kit : synthesizedKits) {
        for (Drum drum : allDrums) {
            for (bool soft : {true, false}) {
                for (int variation : {0, 1}) {
                    SCOPED_TRACE(describe(drum, kit, soft, variation));
                    const std::vector<float> samples = synthesize(drum, kit, soft, variation);
                    const std::vector<float> direct =
                        finishVoice(voiceSignal(drum, kit, soft, variation, Evaluation::direct));
                    ASSERT_EQ(samples.size(), direct.size());
                    EXPECT_EQ(samples.front(), 0.0f);
                    EXPECT_EQ(samples.back(), 0.0f);
                    float peak = 0.0f, worst = 0.0f;
                    for (std::size_t n = 0; n < samples.size(); ++n) {
                        ASSERT_TRUE(std::isfinite(samples[n]));
                        peak = std::max(peak, std::abs(samples[n]));
                        worst = std::max(worst, std::abs(samples[n] - direct[n]));
                    }
                    EXPECT_EQ(peak, 0.82f);
                    EXPECT_LE(worst, 1e-6f);
                }
            }
        }
    }
}

TEST(Synthesis, WindowedDCRemovalLeavesZeroSumAndKeepsTheEnds) {
    for (DrumKit kit : synthesizedKits) {
        for (Drum drum : allDrums) {
            SCOPED_TRACE(describe(drum, kit, false, 0));
            std::vector<double> samples = voiceSignal(drum, kit, false, 0);
            const double first = samples.front(), last = samples.back();
            double magnitude = 0.0;
            for (double sample : samples) magnitude += std::abs(sample);
            removeWindowedDC(samples);
            EXPECT_EQ(samples.front(), first);
            EXPECT_EQ(samples.back(), last);
            const double after = std::accumulate(samples.begin(), samples.end(), 0.0);
            EXPECT_LT(std::abs(after), 1e-12 * magnitude);
        }
    }
}

TEST(Synthesis, VariationsAndLayersDifferButRepeatsAreBitIdentical) {
    for (DrumKit kit : synthesizedKits) {
        for (Drum drum : allDrums) {
            SCOPED_TRACE(describe(drum, kit, false, 0));
            const std::vector<float> hard0 = synthesize(drum, kit, false, 0);
            EXPECT_NE(hard0, synthesize(drum, kit, false, 1));
            EXPECT_NE(synthesize(drum, kit, true, 0), synthesize(drum, kit, true, 1));
            EXPECT_NE(hard0, synthesize(drum, kit, true, 0));
            EXPECT_EQ(hard0, synthesize(drum, kit, false, 0));
            // Only the parity of the variation counts.
            EXPECT_EQ(hard0, synthesize(drum, kit, false, 2));
            EXPECT_EQ(synthesize(drum, kit, true, 1), synthesize(drum, kit, true, -1));
        }
    }
}

TEST(Synthesis, HihatIsMuchBrighterThanTheKick) {
    for (DrumKit kit : synthesizedKits) {
        for (bool soft : {true, false}) {
            const double hihat = brightness(synthesize(Drum::hihat, kit, soft, 0));
            const double kick = brightness(synthesize(Drum::kick, kit, soft, 0));
            EXPECT_GT(hihat, 20.0 * kick) << rawValue(kit) << " soft " << soft;
        }
    }
}

TEST(Synthesis, SilenceStaysSilentInsteadOfDividingByZero) {
    EXPECT_EQ(finishVoice(std::vector<double>(100, 0.0)), std::vector<float>(100, 0.0f));
    EXPECT_TRUE(finishVoice({}).empty());
    EXPECT_EQ(finishVoice({0.5}), std::vector<float>{0.0f});
}

}  // namespace
}  // namespace knockbox
