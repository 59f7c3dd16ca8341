#include "audio/drum_kit.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace knockbox {
namespace {

TEST(SoundSelection, JsonRoundTripAndRejections) {
    const SoundSelection selection{DrumKit::live, DrumKit::studio, DrumKit::electronic, DrumKit::lofi};
    const nlohmann::json json = selection;
    EXPECT_EQ(json.dump(), R"({"hihat":"electronic","kick":"live","snare":"studio","tom":"lofi"})");
    EXPECT_EQ(json.get<SoundSelection>(), selection);
    for (const char* bad : {R"({"kick":"live","snare":"live","hihat":"live"})",
                            R"({"kick":"808","snare":"live","hihat":"live","tom":"live"})",
                            R"({"kick":1,"snare":"live","hihat":"live","tom":"live"})"})
        EXPECT_THROW(nlohmann::json::parse(bad).get<SoundSelection>(), nlohmann::json::exception) << bad;
}

}  // namespace
}  // namespace knockbox
