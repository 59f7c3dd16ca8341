#include "audio/drum_kit.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace knockbox {
namespace {

TEST(DrumKit, RawValuesAndOrder) {
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
    EXPECT_EQ(layerCount(DrumKit::live) * variationCount(DrumKit::live), 12);
    EXPECT_EQ(layerCount(DrumKit::studio) * variationCount(DrumKit::studio), 4);
    EXPECT_TRUE(sampled(DrumKit::live));
    EXPECT_FALSE(sampled(DrumKit::lofi));
}

TEST(SoundSelection, PerDrumFields) {
    SoundSelection selection = SoundSelection::all(DrumKit::lofi);
    EXPECT_EQ(selection.kit(Drum::snare), DrumKit::lofi);
    selection.kick = DrumKit::studio;
    EXPECT_EQ(selection.kit(Drum::kick), DrumKit::studio);
    for (Drum drum : {Drum::snare, Drum::hihat, Drum::tom}) EXPECT_EQ(selection.kit(drum), DrumKit::lofi);
    EXPECT_NE(selection, SoundSelection::all(DrumKit::lofi));
}

TEST(SoundSelection, JsonRoundTripAndRejections) {
    const SoundSelection selection{DrumKit::live, DrumKit::studio, DrumKit::electronic, DrumKit::lofi};
    const nlohmann::json json = selection;
    EXPECT_EQ(json.dump(), R"({"hihat":"electronic","kick":"live","snare":"studio","tom":"lofi"})");
    EXPECT_EQ(json.get<SoundSelection>(), selection);

    auto missingKey = nlohmann::json::parse(R"({"kick":"live","snare":"live","hihat":"live"})");
    EXPECT_THROW(missingKey.get<SoundSelection>(), nlohmann::json::exception);
    auto unknownKit = nlohmann::json::parse(R"({"kick":"808","snare":"live","hihat":"live","tom":"live"})");
    EXPECT_THROW(unknownKit.get<SoundSelection>(), nlohmann::json::exception);
    auto notAString = nlohmann::json::parse(R"({"kick":1,"snare":"live","hihat":"live","tom":"live"})");
    EXPECT_THROW(notAString.get<SoundSelection>(), nlohmann::json::exception);
    EXPECT_EQ(nlohmann::json(DrumKit::electronic).dump(), R"("electronic")");
}

}  // namespace
}  // namespace knockbox
