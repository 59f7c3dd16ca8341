// Saved side profiles with the built program: loaded and used, or skipped
// with their reason (which runs load which: tests/player). Short recordings
// (replay runs in real time).
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "platform/hardware_model.h"
#include "recording/csv_recording.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/player_lines.h"
#include "support/scenes.h"
#include "support/side_signatures.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using simulation::Strength;
using test::TemporaryDirectory;

std::vector<SideFeatures> impulsesOf(const test::SideSet& side) {
    std::vector<SideFeatures> list;
    for (const auto& impulse : side.impulses) list.push_back(impulse.value());
    return list;
}

// A firm-tap profile at <folder>/p.json and a light profile beside it, both
// trained on simulated taps for `model`.
void saveProfiles(const TemporaryDirectory& folder, const std::string& model) {
    const auto firm = test::simulatedSignatures(11, 8, Strength::firm);
    SideProfile::train(firm.left.features, firm.right.features, model).save(folder / "p.json");
    const auto gentle = test::simulatedSignatures(12, 8, Strength::gentle);
    const LightSideProfile light(SideProfile::train(gentle.left.features, gentle.right.features, model),
                                 SideProfile::train(impulsesOf(gentle.left), impulsesOf(gentle.right), model), 0.16);
    light.save(folder / "light-side-profile.json");
}

// Gentle and firm taps on both sides after the warm-up.
fs::path writeRecording(const TemporaryDirectory& folder) {
    const simulation::Scene scene = test::fourDrums(23, 3.6);
    const fs::path path = folder / "taps.csv";
    std::ofstream(path, std::ios::binary) << recordingText(simulation::render(scene));
    return path;
}

test::ProcessResult replayWithProfiles(const TemporaryDirectory& folder, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments{"--replay", writeRecording(folder).string(), "--mute", "--debug"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runKnockbox(arguments, {.environment = {{"KNOCKBOX_SIDE_PROFILE", (folder / "p.json").string()}}});
}

// The four hit lines after the ready lines at `at`, each naming its model.
void expectHitsJudgedBy(const std::vector<std::string>& lines, std::size_t at, const std::vector<std::string>& models) {
    test::expectDefaultReadyLines(lines, at, 10);
    const std::vector<std::string> drums{"L  kick ", "R  hihat ", "L  tom  ", "R  snare "};
    ASSERT_EQ(lines.size(), at + 2 + drums.size() + 1);
    for (std::size_t i = 0; i < drums.size(); ++i) {
        const std::string& line = lines[at + 2 + i];
        EXPECT_EQ(line.substr(0, drums[i].size()), drums[i]) << line;
        EXPECT_TRUE(std::regex_search(line, std::regex("  model " + models[i] + "  threshold "))) << line;
    }
    EXPECT_TRUE(lines.back().ends_with(" 4 uderzeń, 0 niepewnych stron.")) << lines.back();
}

TEST(SideProfileReplay, SavedProfilesAreLoadedAndJudgeTheTaps) {
    TemporaryDirectory folder;
    saveProfiles(folder, hardwareModel());
    const auto result = replayWithProfiles(folder);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const auto lines = test::linesOf(result.err);
    ASSERT_GE(lines.size(), 3u) << result.err;
    EXPECT_EQ(lines[0], "Profil stron załadowany · walidacja 100%");
    EXPECT_EQ(lines[1], "Profil lekkich załadowany · peak < 0.160 g · walidacja 100%");
    EXPECT_EQ(lines[2], "REPLAY: dane CSV, bez sensora i bez blokady klawiatury.");
    // Gentle taps below the light profile's peak go to it, firm ones to the firm profile.
    expectHitsJudgedBy(lines, 3, {"lekki", "lekki", "główny", "główny"});
}

// A model name from the file that would forge a hit line and clear the
// terminal, and run on for pages, is shown escaped and cut.
TEST(SideProfileReplay, ProfilesThatDoNotLoadAreSkippedAndTheHeuristicPlays) {
    TemporaryDirectory folder;
    saveProfiles(folder, "Other1,1\nL  kick    peak 0.080 g  volume 0.37\x1b[2J" + std::string(100000, 'x'));
    std::ofstream(folder / "p.json", std::ios::binary | std::ios::trunc) << "{\"version\": 2, \"left\": [";
    const auto result = replayWithProfiles(folder);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const auto lines = test::linesOf(result.err);
    ASSERT_GE(lines.size(), 3u) << result.err;
    EXPECT_EQ(lines[0], "Profil stron pominięty: Profil kalibracji jest uszkodzony lub ma nieobsługiwaną wersję. "
                        "Wykonaj nową kalibrację. Użyj --calibrate-sides.");
    EXPECT_TRUE(lines[1].starts_with("Profil lekkich pominięty: Profil kalibracji pochodzi z modelu "
                                     "Other1,1\\nL  kick    peak 0.080 g  volume 0.37\\x1b[2Jxxx"))
        << lines[1];
    EXPECT_TRUE(lines[1].ends_with("xxx…, a ten Mac ma model " + hardwareModel() +
                                   ". Wykonaj nową kalibrację. Użyj --calibrate-light."))
        << lines[1];
    EXPECT_LT(lines[1].size(), 1000u);
    EXPECT_EQ(lines[2], "REPLAY: dane CSV, bez sensora i bez blokady klawiatury.");
    expectHitsJudgedBy(lines, 3, {"heurystyka", "heurystyka", "heurystyka", "heurystyka"});
}

}  // namespace
}  // namespace knockbox
