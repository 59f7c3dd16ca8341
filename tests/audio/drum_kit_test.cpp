#include "audio/drum_kit.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace knockbox {
namespace {

TEST(DrumKit, RawValuesOrderAndNames) {
    std::vector<std::string_view> drums, kits;
    for (Drum drum : allDrums) drums.push_back(rawValue(drum));
    for (DrumKit kit : allKits) kits.push_back(rawValue(kit));
    EXPECT_EQ(drums, (std::vector<std::string_view>{"kick", "snare", "hihat", "tom"}));
    EXPECT_EQ(kits, (std::vector<std::string_view>{"studio", "live", "electronic", "lofi"}));
    EXPECT_EQ(parseDrumKit("electronic"), DrumKit::electronic);
    EXPECT_EQ(parseDrum("hihat"), Drum::hihat);
    for (const char* text : {"808", "Lo-fi", "Studio", "LIVE", "", " studio"}) EXPECT_FALSE(parseDrumKit(text));
    EXPECT_FALSE(parseDrum("Kick"));
    EXPECT_EQ(displayName(DrumKit::electronic), "808");
    EXPECT_EQ(subtitle(DrumKit::lofi), "Warm, dry and dusty");
}

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
