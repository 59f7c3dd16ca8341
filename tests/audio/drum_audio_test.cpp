#include "audio/drum_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <thread>

#include "audio/audio_error.h"
#include "audio/offline_output_device.h"
#include "support/sound_analysis.h"
#include "support/thrown.h"

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

// The volume runs from 0 to 1.5 and scales the sound: up to 1 in the mixer,
// above 1 through the limiter's pre-gain (a centred kick stays far below full
// scale); a rejected volume changes nothing, and construction checks it first.
TEST_F(DrumAudioTest, MasterVolumeFromZeroToOnePointFiveScalesTheSound) {
    EXPECT_FALSE(std::signbit(DrumAudio::validatedMasterVolume(-0.0f)));
    for (float volume : {std::nextafter(1.5f, 2.0f), -0.1f, nan, infinity, -infinity}) {
        const auto error = test::thrown<AudioError>([&] { DrumAudio::validatedMasterVolume(volume); });
        ASSERT_TRUE(error) << volume;
        EXPECT_EQ(error->kind(), AudioError::Kind::invalidMasterVolume);
        EXPECT_STREQ(error->what(), "Knockbox volume must be a number from 0 to 1.5.");
    }
    EXPECT_THROW(make({}, noRecordings, nan), AudioError);
    const auto kickPeak = [&](float volume, float changedTo) {
        DrumAudio& audio = make({}, noRecordings, volume);
        EXPECT_TRUE(audio.setMasterVolume(changedTo));
        for (float rejected : {2.0f, -0.1f, nan}) EXPECT_FALSE(audio.setMasterVolume(rejected));
        EXPECT_EQ(audio.masterVolume(), changedTo);
        device_->render(256);  // the block over which the volume ramps
        audio.play(Drum::kick, 1.0f, 0);
        const std::vector<float> out = device_->render(9600);
        return test::peakIn(out, 0, out.size());
    };
    const float full = kickPeak(1.0f, 1.0f);
    EXPECT_GT(full, 0.3f);
    EXPECT_NEAR(kickPeak(1.0f, 0.5f), 0.5f * full, 1e-3f);
    EXPECT_NEAR(kickPeak(1.2f, 1.2f), 1.2f * full, 1e-3f);
    EXPECT_NEAR(kickPeak(0.5f, 1.2f), 1.2f * full, 1e-3f);
    EXPECT_EQ(kickPeak(1.5f, 0.0f), 0.0f);
}

}  // namespace
}  // namespace knockbox
