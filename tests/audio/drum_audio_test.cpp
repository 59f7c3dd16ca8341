#include "audio/drum_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <thread>

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

TEST_F(DrumAudioTest, AStoppedEngineTakesNoMoreStarts) {
    DrumAudio& audio = make();
    audio.play(Drum::kick, 0.4f, 0);
    device_->render(256);
    EXPECT_EQ(audio.mixer().startsTaken(), 1u);
    audio.stop();
    EXPECT_FALSE(audio.isRunning());
    EXPECT_FALSE(device_->isRunning());
    audio.play(Drum::kick, 0.4f, 0);
    device_->render(256);
    EXPECT_EQ(audio.mixer().startsTaken(), 1u);
}

TEST_F(DrumAudioTest, AnotherThreadEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    DrumAudio& audio = make();
    EXPECT_DEATH(std::thread([&] { audio.play(Drum::kick, 0.4f, 0); }).join(), "thread that created it");
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float sample : samples) peak = std::max(peak, std::fabs(sample));
    return peak;
}

TEST_F(DrumAudioTest, MasterVolumeSplitsIntoMixerAndLimiter) {
    EXPECT_EQ(DrumAudio::mixSettings(1.2f).mixerGain, 1.0f);
    EXPECT_NEAR(DrumAudio::mixSettings(1.2f).preGainDb, 1.58f, 0.01f);
    EXPECT_EQ(DrumAudio::mixSettings(0.5f).mixerGain, 0.5f);
    EXPECT_EQ(DrumAudio::mixSettings(0.5f).preGainDb, 0.0f);
    DrumAudio& audio = make();
    EXPECT_TRUE(audio.setMasterVolume(1.2f));
    for (float rejected : {2.0f, -0.1f, nan}) {
        EXPECT_FALSE(audio.setMasterVolume(rejected));
        EXPECT_EQ(audio.masterVolume(), 1.2f);
    }
    EXPECT_TRUE(audio.setMasterVolume(0.5f));

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
