#include "audio/voice_scheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <system_error>

namespace knockbox {
namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

std::vector<float> noRecordings(Drum, DrumKit, int, int) { return {}; }

// The start plays the buffer that the key names.
void expectBuffer(const SampleBank& bank, const std::optional<VoiceStart>& start, SampleKey key) {
    ASSERT_TRUE(start);
    ASSERT_TRUE(bank.contains(key));
    EXPECT_EQ(start->samples, bank.find(key)->data())
        << rawValue(key.kit) << " " << rawValue(key.drum) << " layer " << key.layer << " variation " << key.variation;
}

// Which layer each velocity plays: RoundRobinOfSynthesizedAndLiveKits below.
TEST(VoiceScheduler, VelocityGainRisesToOneAndLiftsLightHits) {
    for (float silent : {0.0f, -0.5f, nan, infinity}) EXPECT_EQ(VoiceScheduler::velocityGain(silent), 0.0f) << silent;
    EXPECT_EQ(VoiceScheduler::velocityGain(1.0f), 1.0f);
    EXPECT_EQ(VoiceScheduler::velocityGain(3.0f), 1.0f);
    float previous = 0.0f;
    for (int i = 1; i < 1000; ++i) {
        const float velocity = static_cast<float>(i) / 1000.0f, gain = VoiceScheduler::velocityGain(velocity);
        EXPECT_GT(gain, previous) << velocity;
        EXPECT_GT(gain, velocity) << velocity;  // light hits are lifted
        previous = gain;
    }
    // Velocities far out of range still name one of the live kit's four layers.
    EXPECT_EQ(VoiceScheduler::layer(-5.0f, DrumKit::live), 0);
    EXPECT_EQ(VoiceScheduler::layer(1e30f, DrumKit::live), 3);
}

TEST(VoiceScheduler, SilentHitsGetNoStartAndKeepTheRoundRobin) {
    const SampleBank bank(noRecordings);
    VoiceScheduler scheduler(bank, {});
    for (auto [velocity, pan] : {std::pair{nan, 0.0f}, {0.5f, nan}, {0.5f, infinity}, {0.0f, 0.0f}, {-1.0f, 0.0f}})
        EXPECT_FALSE(scheduler.schedule(Drum::kick, velocity, pan, 100)) << velocity << " " << pan;
    expectBuffer(bank, scheduler.schedule(Drum::kick, 0.9f, 0, 100), {DrumKit::studio, Drum::kick, 1, 0});
}

TEST(VoiceScheduler, RoundRobinOfSynthesizedAndLiveKits) {
    const SampleBank bank(loadSample);  // the real recorded kit
    EXPECT_EQ(bank.size(), 96u);        // every buffer is built at creation
    SoundSelection sounds;
    sounds.snare = DrumKit::live;
    VoiceScheduler scheduler(bank, sounds);
    // Studio: two variations; the counter counts to 6 and wraps.
    for (int variation : {0, 1, 0, 1, 0, 1, 0})
        expectBuffer(bank, scheduler.schedule(Drum::kick, 0.9f, 0, 100), {DrumKit::studio, Drum::kick, 1, variation});
    // Live: three variations, each drum its own counter; layers follow the velocity.
    for (int variation : {0, 1, 2, 0})
        expectBuffer(bank, scheduler.schedule(Drum::snare, 0.3f, 0, 100), {DrumKit::live, Drum::snare, 0, variation});
    const auto loud = scheduler.schedule(Drum::snare, 0.8f, 0, 100);
    expectBuffer(bank, loud, {DrumKit::live, Drum::snare, 3, 1});
    EXPECT_FLOAT_EQ(loud->gain, VoiceScheduler::velocityGain(0.8f));
    // A new selection takes effect at the next hit, counters kept.
    sounds.kick = DrumKit::electronic;
    scheduler.setSounds(sounds);
    expectBuffer(bank, scheduler.schedule(Drum::kick, 0.4f, 0, 100), {DrumKit::electronic, Drum::kick, 0, 1});
}

TEST(VoiceScheduler, MissingRecordingFallsBackToStudioAtTheSameParity) {
    const SampleBank bank([](Drum drum, DrumKit kit, int layer, int variation) {
        if (drum == Drum::snare) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
        return loadSample(drum, kit, layer, variation);
    });
    EXPECT_EQ(bank.size(), 96u - 12u);
    VoiceScheduler scheduler(bank, SoundSelection::all(DrumKit::live));
    // Live variations 0, 1, 2, 0 become studio 0, 1, 0, 0; layer 3 becomes 1.
    for (int variation : {0, 1, 0, 0})
        expectBuffer(bank, scheduler.schedule(Drum::snare, 0.9f, 0, 100), {DrumKit::studio, Drum::snare, 1, variation});
    expectBuffer(bank, scheduler.schedule(Drum::snare, 0.2f, 0, 100), {DrumKit::studio, Drum::snare, 0, 1});
}

TEST(VoiceScheduler, SeventeenthHitStealsTheVoiceThatEndsFirst) {
    const SampleBank bank(noRecordings);
    VoiceScheduler scheduler(bank, {});
    double now = 100.0;
    // Sixteen overlapping hits; voice 5 holds a short hi-hat, the rest long toms.
    for (std::uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(scheduler.schedule(i == 5 ? Drum::hihat : Drum::tom, 0.9f, 0, now)->voice, i);
        now += 0.001;
    }
    EXPECT_EQ(scheduler.schedule(Drum::kick, 0.9f, 0, now)->voice, 5u);  // not voice 0, the oldest

    // Once voices are free again, the search starts after the last one used.
    const auto later = scheduler.schedule(Drum::snare, 0.5f, -2.0f, now + 1.0);
    EXPECT_EQ(later->voice, 6u);
    EXPECT_EQ(later->pan, -1.0f);  // clamped
}

}  // namespace
}  // namespace knockbox
