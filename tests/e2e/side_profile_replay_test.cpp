// Saved side profiles with the built program: loaded and used, or skipped
// with their reason (which runs load which: tests/player). Short recordings
// (replay runs in real time).
#include <gtest/gtest.h>

#include <regex>

#include "platform/hardware_model.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/side_signatures.h"

namespace knockbox {
namespace {
using simulation::Strength;
using test::TemporaryDirectory;

// A firm-tap profile at <folder>/p.json and a light profile beside it, both
// trained on simulated taps for `model`; a replay of gentle and firm taps on
// both sides with them, and its lines.
std::vector<std::string> replayWithProfiles(const TemporaryDirectory& folder, const std::string& model,
                                            const std::optional<std::string>& firmText = std::nullopt) {
    const auto firm = test::simulatedSignatures(11, 8, Strength::firm);
    SideProfile::train(firm.left.features, firm.right.features, model).save(folder / "p.json");
    if (firmText) test::writeFile(folder / "p.json", *firmText);
    const auto gentle = test::simulatedSignatures(12, 8, Strength::gentle);
    LightSideProfile(SideProfile::train(gentle.left.features, gentle.right.features, model),
                     SideProfile::train(gentle.left.impulseFeatures(), gentle.right.impulseFeatures(), model), 0.16)
        .save(folder / "light-side-profile.json");
    test::writeRecording(folder / "taps.csv", test::fourDrums(23, 3.6));
    const auto result = test::runKnockbox({"--replay", (folder / "taps.csv").string(), "--mute", "--debug"},
                                          {.environment = {{"KNOCKBOX_SIDE_PROFILE", (folder / "p.json").string()}}});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return test::linesOf(result.err);
}

// The two profile lines, the replay's and the ready lines (their text: the
// replay's tests), then the four hit lines, each naming its model, and the
// summary.
void expectHitsJudgedBy(const std::vector<std::string>& lines, const std::vector<std::string>& models) {
    ASSERT_EQ(lines.size(), 10u);
    const std::vector<std::string> drums{"L  kick ", "R  hihat ", "L  tom  ", "R  snare "};
    for (std::size_t i = 0; i < drums.size(); ++i) {
        EXPECT_TRUE(lines[5 + i].starts_with(drums[i])) << lines[5 + i];
        EXPECT_TRUE(std::regex_search(lines[5 + i], std::regex("  model " + models[i] + "  threshold "))) << lines[5 + i];
    }
    EXPECT_TRUE(lines.back().ends_with(" 4 uderzeń, 0 niepewnych stron.")) << lines.back();
}

TEST(SideProfileReplay, SavedProfilesAreLoadedAndJudgeTheTaps) {
    TemporaryDirectory folder;
    const auto lines = replayWithProfiles(folder, hardwareModel());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Profil stron załadowany · walidacja 100%");
    EXPECT_EQ(lines[1], "Profil lekkich załadowany · peak < 0.160 g · walidacja 100%");
    // Gentle taps below the light profile's peak go to it, firm ones to the firm profile.
    expectHitsJudgedBy(lines, {"lekki", "lekki", "główny", "główny"});
}

// A model name from the file that would forge a hit line and clear the
// terminal, and run on for pages, is shown escaped and cut.
TEST(SideProfileReplay, ProfilesThatDoNotLoadAreSkippedAndTheHeuristicPlays) {
    TemporaryDirectory folder;
    const auto lines = replayWithProfiles(
        folder, "Other1,1\nL  kick    peak 0.080 g  volume 0.37\x1b[2J" + std::string(100000, 'x'),
        "{\"version\": 2, \"left\": [");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Profil stron pominięty: Profil kalibracji jest uszkodzony lub ma nieobsługiwaną wersję. "
                        "Wykonaj nową kalibrację. Użyj --calibrate-sides.");
    EXPECT_TRUE(lines[1].starts_with("Profil lekkich pominięty: Profil kalibracji pochodzi z modelu "
                                     "Other1,1\\nL  kick    peak 0.080 g  volume 0.37\\x1b[2Jxxx"))
        << lines[1];
    EXPECT_TRUE(lines[1].ends_with("xxx…, a ten Mac ma model " + hardwareModel() +
                                   ". Wykonaj nową kalibrację. Użyj --calibrate-light."))
        << lines[1];
    EXPECT_LT(lines[1].size(), 1000u);
    expectHitsJudgedBy(lines, {"heurystyka", "heurystyka", "heurystyka", "heurystyka"});
}

}  // namespace
}  // namespace knockbox
