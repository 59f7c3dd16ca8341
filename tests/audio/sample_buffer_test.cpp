#include <gtest/gtest.h>

#include <variant>

#include "audio/live_kit.h"
#include "audio/sample_library.h"

namespace knockbox {
namespace {

// The samples a call returns, or the text of the error it throws, so that a
// live buffer can be compared with the one recording it must come from
// whether or not the kit's files are present.
template <class Call>
std::variant<std::vector<float>, std::string> outcome(Call call) {
    try {
        return call();
    } catch (const std::exception& error) {
        return std::string(error.what());
    }
}

TEST(SampleBuffer, SynthesizedKitsSwitchToTheHardLayerAt055) {
    for (DrumKit kit : {DrumKit::studio, DrumKit::electronic, DrumKit::lofi}) {
        EXPECT_EQ(sampleBuffer(Drum::snare, kit, 0.54f, 0), synthesize(Drum::snare, kit, true, 0));
        EXPECT_EQ(sampleBuffer(Drum::snare, kit, 0.55f, 0), synthesize(Drum::snare, kit, false, 0));
    }
    EXPECT_EQ(sampleBuffer(Drum::tom, DrumKit::lofi), synthesize(Drum::tom, DrumKit::lofi, false, 0));
    EXPECT_EQ(sampleBuffer(Drum::kick, DrumKit::studio, 0.0f, 3), synthesize(Drum::kick, DrumKit::studio, true, 1));
    EXPECT_EQ(sampleBuffer(Drum::kick, DrumKit::studio, 1.0f, -3), synthesize(Drum::kick, DrumKit::studio, false, 1));
}

TEST(SampleBuffer, LiveKitUsesTheSoftestOrHardestRecording) {
    auto recording = [](const char* name) {
        return outcome([&] { return readDrumRecording(liveKitURL() / name); });
    };
    auto buffer = [](Drum drum, float velocity, int variation) {
        return outcome([&] { return sampleBuffer(drum, DrumKit::live, velocity, variation); });
    };
    EXPECT_EQ(buffer(Drum::hihat, 0.54f, 0), recording("hihat-0-0.caf"));
    EXPECT_EQ(buffer(Drum::hihat, 0.55f, 0), recording("hihat-3-0.caf"));
    EXPECT_EQ(buffer(Drum::kick, 1.0f, 4), recording("kick-3-1.caf"));
    EXPECT_EQ(buffer(Drum::tom, 0.1f, -1), recording("tom-0-2.caf"));
    EXPECT_EQ(outcome([] { return loadSample(Drum::snare, DrumKit::live, 2, 1); }), recording("snare-2-1.caf"));
}

}  // namespace
}  // namespace knockbox
