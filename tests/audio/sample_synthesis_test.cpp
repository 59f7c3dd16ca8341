#include "audio/sample_synthesis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/sample_library.h"
#include "audio/voice_formulas.h"

namespace knockbox {
namespace {

using voice_formulas::twoPi;

// The exact reference: decays and sines evaluated with exp and sin from the
// sample's time at every call.
struct DirectSources {
    // exp(-rate * t)
    class Decay {
    public:
        Decay() = default;
        explicit Decay(double rate) : rate_(rate) {}
        double next(double t) { return std::exp(-rate_ * t); }

    private:
        double rate_ = 0.0;
    };
    // sin(2π f t + phase)
    class Sine {
    public:
        Sine() = default;
        explicit Sine(double frequency, double phase = 0.0) : frequency_(frequency), phase_(phase) {}
        double next(double t) { return std::sin(twoPi * frequency_ * t + phase_); }

    private:
        double frequency_ = 0.0, phase_ = 0.0;
    };
};

constexpr DrumKit synthesizedKits[] = {DrumKit::studio, DrumKit::electronic, DrumKit::lofi};

std::string describe(Drum drum, DrumKit kit, bool soft) {
    return std::string(rawValue(kit)) + " " + std::string(rawValue(drum)) + (soft ? " soft" : " hard");
}

// The stepped decays and rotations of the synthesizer agree with exp and sin
// at every sample; soft and hard layers and their two variations differ, and
// only the variation's parity counts. (Every voice's ends, peak and zero sum
// are the self-test's checks, run in tests/e2e.)
TEST(Synthesis, EveryVoiceMatchesTheClosedFormsAndVariationsDiffer) {
    for (DrumKit kit : synthesizedKits) {
        for (Drum drum : allDrums) {
            for (bool soft : {true, false}) {
                SCOPED_TRACE(describe(drum, kit, soft));
                const std::vector<float> first = synthesize(drum, kit, soft, 0), second = synthesize(drum, kit, soft, 1);
                EXPECT_NE(first, second);
                EXPECT_NE(first, synthesize(drum, kit, !soft, 0));
                EXPECT_EQ(first, synthesize(drum, kit, soft, 2));
                EXPECT_EQ(second, synthesize(drum, kit, soft, -1));
                for (int variation : {0, 1}) {
                    const std::vector<float>& samples = variation == 0 ? first : second;
                    const std::vector<float> direct =
                        finishVoice(voice_formulas::voiceSignal<DirectSources>(drum, kit, soft, variation));
                    ASSERT_EQ(samples.size(), direct.size());
                    for (std::size_t n = 0; n < samples.size(); ++n)
                        ASSERT_NEAR(samples[n], direct[n], 1e-6f) << variation << " at " << n;
                }
            }
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
