#include "audio/drum_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <system_error>

#include "audio/audio_error.h"
#include "audio/offline_output_device.h"

namespace knockbox {
namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

// Most tests need no recordings; leaving them out keeps construction quick.
std::vector<float> noRecordings(Drum, DrumKit, int, int) { return {}; }

class DrumAudioTest : public ::testing::Test {
protected:
    DrumAudio& make(SoundSelection sounds = {}, DrumAudio::RecordingLoader loader = noRecordings,
                    float volume = 1.0f) {
        auto device = std::make_unique<OfflineOutputDevice>();
        device_ = device.get();
        audio_ = std::make_unique<DrumAudio>(
            volume, sounds, DrumAudio::Connections{std::move(device), [this] { return now_; }, std::move(loader)});
        return *audio_;
    }
    // Whether the latest start played the buffer that a key names.
    void expectPlayed(DrumKit kit, Drum drum, int layer, int variation) const {
        const std::vector<float>* buffer = audio_->buffer({kit, drum, layer, variation});
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(audio_->lastStart().samples, buffer->data())
            << rawValue(kit) << " " << rawValue(drum) << " layer " << layer << " variation " << variation;
    }

    double now_ = 100.0;
    OfflineOutputDevice* device_ = nullptr;
    std::unique_ptr<DrumAudio> audio_;
};

TEST_F(DrumAudioTest, MasterVolumeFromZeroToOnePointFive) {
    EXPECT_EQ(DrumAudio::validatedMasterVolume(0.0f), 0.0f);
    EXPECT_EQ(DrumAudio::validatedMasterVolume(1.5f), 1.5f);
    EXPECT_FALSE(std::signbit(DrumAudio::validatedMasterVolume(-0.0f)));
    for (float volume : {std::nextafter(1.5f, 2.0f), -0.1f, nan, infinity, -infinity}) {
        try {
            DrumAudio::validatedMasterVolume(volume);
            ADD_FAILURE() << "accepted " << volume;
        } catch (const AudioError& error) {
            EXPECT_EQ(error.kind(), AudioError::Kind::invalidMasterVolume);
            EXPECT_STREQ(error.what(), "Knockbox volume must be a number from 0 to 1.5.");
        }
    }
    // Construction checks the volume first.
    EXPECT_NO_THROW(make({}, noRecordings, 0.0f));
    EXPECT_NO_THROW(make({}, noRecordings, 1.5f));
    EXPECT_THROW(make({}, noRecordings, nan), AudioError);
}

TEST(AudioError, EveryCaseHasItsText) {
    EXPECT_STREQ(AudioError::limiterConfiguration(-10867).what(),
                 "Couldn't set up the audio limiter (Core Audio -10867).");
    EXPECT_EQ(AudioError::limiterConfiguration(-10867).status(), -10867);
    EXPECT_STREQ(AudioError::playerUnavailable().what(),
                 "Core Audio doesn't provide the system ScheduledSoundPlayer. Run Knockbox outside a restricted "
                 "sandbox.");
    EXPECT_STREQ(AudioError::limiterUnavailable().what(),
                 "Core Audio doesn't provide the system PeakLimiter. Run Knockbox outside a restricted sandbox.");
    // outputUnavailable's text is checked through the program (the demo without a sound server).
    for (OutputFormat format : {OutputFormat{0, 2, 256}, OutputFormat{48000, 0, 256}}) {
        try {
            DrumAudio audio(1.0f, {}, {std::make_unique<OfflineOutputDevice>(format), nullptr, noRecordings});
            ADD_FAILURE() << "an engine without output was made";
        } catch (const AudioError& error) {
            EXPECT_EQ(error.kind(), AudioError::Kind::outputUnavailable);
        }
    }
}

TEST(DrumAudioStatic, VelocityGainAndLayers) {
    for (float silent : {0.0f, -0.5f, nan, infinity}) EXPECT_EQ(DrumAudio::velocityGain(silent), 0.0f) << silent;
    EXPECT_EQ(DrumAudio::velocityGain(1.0f), 1.0f);
    EXPECT_EQ(DrumAudio::velocityGain(3.0f), 1.0f);
    EXPECT_NEAR(DrumAudio::velocityGain(0.25f), 0.536f, 0.001f);
    float previous = 0.0f;
    for (int i = 1; i < 1000; ++i) {
        const float velocity = static_cast<float>(i) / 1000.0f, gain = DrumAudio::velocityGain(velocity);
        EXPECT_GT(gain, previous) << velocity;
        EXPECT_GT(gain, velocity) << velocity;  // light hits are lifted
        previous = gain;
    }

    EXPECT_EQ(DrumAudio::layer(0.549f, DrumKit::studio), 0);
    EXPECT_EQ(DrumAudio::layer(0.55f, DrumKit::studio), 1);
    EXPECT_EQ(DrumAudio::layer(1.0f, DrumKit::electronic), 1);
    const std::pair<float, int> live[] = {{0.362f, 0}, {0.363f, 1}, {0.574f, 1}, {0.576f, 2}, {0.787f, 2},
                                          {0.788f, 3}, {1.0f, 3},   {-5.0f, 0},  {1e30f, 3}};
    for (const auto& [velocity, layer] : live) EXPECT_EQ(DrumAudio::layer(velocity, DrumKit::live), layer) << velocity;
}

TEST_F(DrumAudioTest, NonFiniteOrSilentHitsPlayNothingAndKeepTheCounter) {
    DrumAudio& audio = make();
    audio.play(Drum::kick, nan, 0);
    audio.play(Drum::kick, 0.5f, nan);
    audio.play(Drum::kick, 0.5f, infinity);
    audio.play(Drum::kick, 0.0f, 0);
    audio.play(Drum::kick, -1.0f, 0);
    device_->render(512);
    EXPECT_EQ(audio.variations()[index(Drum::kick)], 0);
    EXPECT_EQ(audio.mixer().startsTaken(), 0u);
    EXPECT_EQ(audio.voiceEnds(), (std::array<double, 16>{}));
}

TEST_F(DrumAudioTest, RoundRobinOfSynthesizedAndLiveKits) {
    SoundSelection sounds;
    sounds.snare = DrumKit::live;
    DrumAudio& audio = make(sounds, nullptr);  // the real recorded kit
    EXPECT_EQ(audio.bufferCount(), 96u);       // every buffer is built at creation
    // Studio: two variations; the counter counts to 6 and wraps.
    for (int variation : {0, 1, 0, 1, 0, 1, 0}) {
        audio.play(Drum::kick, 0.9f, 0);
        expectPlayed(DrumKit::studio, Drum::kick, 1, variation);
    }
    EXPECT_EQ(audio.variations()[index(Drum::kick)], 1);
    // Live: three variations, each drum its own counter; layers follow the velocity.
    for (int variation : {0, 1, 2, 0}) {
        audio.play(Drum::snare, 0.3f, 0);
        expectPlayed(DrumKit::live, Drum::snare, 0, variation);
    }
    audio.play(Drum::snare, 0.8f, 0);
    expectPlayed(DrumKit::live, Drum::snare, 3, 1);
    EXPECT_FLOAT_EQ(audio.lastStart().gain, DrumAudio::velocityGain(0.8f));
    EXPECT_EQ(audio.variations()[index(Drum::hihat)], 0);
}

TEST_F(DrumAudioTest, MissingRecordingFallsBackToStudioAtTheSameParity) {
    const auto withoutSnares = [](Drum drum, DrumKit kit, int layer, int variation) {
        if (drum == Drum::snare) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
        return loadSample(drum, kit, layer, variation);
    };
    DrumAudio& audio = make(SoundSelection::all(DrumKit::live), withoutSnares);
    EXPECT_EQ(audio.bufferCount(), 96u - 12u);
    // Live variations 0, 1, 2, 0 become studio 0, 1, 0, 0; layer 3 becomes 1.
    for (int variation : {0, 1, 0, 0}) {
        audio.play(Drum::snare, 0.9f, 0);
        expectPlayed(DrumKit::studio, Drum::snare, 1, variation);
    }
    audio.play(Drum::snare, 0.2f, 0);
    expectPlayed(DrumKit::studio, Drum::snare, 0, 1);
}

TEST_F(DrumAudioTest, SeventeenthHitStealsTheVoiceThatEndsFirst) {
    DrumAudio& audio = make();
    // Sixteen overlapping hits; voice 5 holds a short hi-hat, the rest long toms.
    for (int i = 0; i < 16; ++i) {
        audio.play(i == 5 ? Drum::hihat : Drum::tom, 0.9f, 0);
        EXPECT_EQ(audio.lastStart().voice, static_cast<std::uint32_t>(i));
        now_ += 0.001;
    }
    EXPECT_NEAR(audio.voiceEnds()[5], 100.005 + 6720.0 / 48000.0, 1e-9);
    audio.play(Drum::kick, 0.9f, 0);
    EXPECT_EQ(audio.lastStart().voice, 5u);  // not voice 0, the oldest
    device_->render(256);
    EXPECT_EQ(audio.mixer().activeVoices(), 16u);
    EXPECT_EQ(audio.mixer().startsTaken(), 17u);

    // Once voices are free again, the search starts after the last one used.
    now_ += 1.0;
    audio.play(Drum::snare, 0.5f, -2.0f);
    EXPECT_EQ(audio.lastStart().voice, 6u);
    EXPECT_EQ(audio.lastStart().pan, -1.0f);  // clamped
}

TEST_F(DrumAudioTest, SetSoundsAndStop) {
    DrumAudio& audio = make();
    SoundSelection sounds;
    sounds.kick = DrumKit::electronic;
    audio.setSounds(sounds);
    audio.play(Drum::kick, 0.4f, 0);
    expectPlayed(DrumKit::electronic, Drum::kick, 0, 0);
    audio.stop();
    EXPECT_FALSE(audio.isRunning());
    EXPECT_FALSE(device_->isRunning());
    audio.play(Drum::kick, 0.4f, 0);  // ignored, and the counter stays
    EXPECT_EQ(audio.variations()[index(Drum::kick)], 1);
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float sample : samples) peak = std::max(peak, std::fabs(sample));
    return peak;
}

TEST_F(DrumAudioTest, MasterVolumeSplitsIntoMixerAndLimiter) {
    DrumAudio& audio = make();
    EXPECT_TRUE(audio.setMasterVolume(1.2f));
    EXPECT_EQ(audio.mixerVolume(), 1.0f);
    EXPECT_NEAR(audio.limiterPreGainDb(), 1.58f, 0.01f);
    for (float rejected : {2.0f, -0.1f, nan}) {
        EXPECT_FALSE(audio.setMasterVolume(rejected));
        EXPECT_EQ(audio.masterVolume(), 1.2f);
        EXPECT_NEAR(audio.limiterPreGainDb(), 1.58f, 0.01f);
    }
    EXPECT_TRUE(audio.setMasterVolume(0.5f));
    EXPECT_EQ(audio.mixerVolume(), 0.5f);
    EXPECT_EQ(audio.limiterPreGainDb(), 0.0f);

    // And the sound follows: a studio kick at full velocity, centred, at 0.5
    // (after the block over which the mixer ramps to the new volume).
    device_->render(256);
    audio.play(Drum::kick, 1.0f, 0);
    EXPECT_NEAR(peakOf(device_->render(9600)), 0.82f * 0.70710678f * 0.5f, 0.001f);
}

TEST_F(DrumAudioTest, LimiterHoldsSixteenLoudVoicesUnderFullScale) {
    DrumAudio& audio = make(SoundSelection::all(DrumKit::electronic), noRecordings, 1.5f);
    for (int i = 0; i < 16; ++i) audio.play(i % 2 == 0 ? Drum::kick : Drum::tom, 1.0f, 0.2f);
    const std::vector<float> out = device_->render(24000);
    EXPECT_LE(peakOf(out), 1.0f);
    // Limited, not silenced: the first 100 ms stay loud.
    double energy = 0;
    for (std::size_t i = 0; i < 2 * 4800; ++i) energy += static_cast<double>(out[i]) * out[i];
    EXPECT_GT(std::sqrt(energy / (2 * 4800)), 0.3);
}

}  // namespace
}  // namespace knockbox
