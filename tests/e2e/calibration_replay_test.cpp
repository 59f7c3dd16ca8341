// Guided side calibrations with the built program, replaying a simulated user
// who follows the prompts as fast as the calibration allows (replay runs in
// real time: about 17 s each). Profiles and journals go to a temporary folder.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "platform/hardware_model.h"
#include "protocol/calibration_ui_state.h"
#include "recording/csv_recording.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/player_lines.h"
#include "support/side_signatures.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using simulation::CalibrationKind;
using test::TemporaryDirectory;

// Taps 0.37 s apart, 0.1 s after each prompt; seeds whose simulated taps
// train to 100 % and verify 6/6.
simulation::Scene quickCalibration(CalibrationKind kind, std::uint64_t seed, bool wrongSideOnce = false) {
    return simulation::calibrationScene({kind, 0.37, 0.1, false, wrongSideOnce, 4}, seed);
}

struct CalibrationRun {
    std::vector<std::string> lines;        // without the CALIBRATION lines
    std::vector<std::string> calibration;  // their JSON
    int exitStatus = -1;
};

CalibrationRun calibrate(const TemporaryDirectory& folder, const simulation::Scene& scene, const std::string& mode) {
    const fs::path recording = folder / "calibration.csv";
    std::ofstream(recording, std::ios::binary) << recordingText(simulation::render(scene));
    const auto result = test::runKnockbox({"--replay", recording.string(), mode, "--mute", "--debug"},
                                          {.environment = {{"KNOCKBOX_SIDE_PROFILE", (folder / "p.json").string()}}});
    CalibrationRun run;
    run.exitStatus = result.exitStatus;
    for (std::string& line : test::linesOf(result.err)) {
        if (line.starts_with("CALIBRATION "))
            run.calibration.push_back(line.substr(12));
        else
            run.lines.push_back(std::move(line));
    }
    return run;
}

std::string literal(const std::string& text) { return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)"); }

const std::string peak = R"(peak \d\.\d{3} g)";
const std::string blockDone = literal("Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo.");

// What the player writes from the first prompt to the verdict, as patterns.
std::vector<std::string> calibrationLines(const std::string& strength, const std::string& trained,
                                          const std::vector<std::string>& verification) {
    std::vector<std::string> lines;
    const auto prompt = [&](const std::string& stage, int block, int of, bool left, int count) {
        lines.push_back(literal(stage + " — blok " + std::to_string(block) + "/" + std::to_string(of) + ": klepnij " +
                                (left ? "LEWĄ" : "PRAWĄ") + " stronę " + std::to_string(count) + " razy " + strength +
                                ", co około pół sekundy. Audio podczas kalibracji jest wyciszone."));
    };
    for (int block = 0; block < 4; ++block) {
        const bool left = block % 2 == 0;
        prompt("Trening", block + 1, 4, left, 4);
        for (int n = 1; n <= 4; ++n)
            lines.push_back((left ? "LEWA " : "PRAWA ") + std::to_string(4 * (block / 2) + n) + "/8: " + peak);
        lines.push_back(block < 3 ? blockDone
                                  : literal("Trening zebrany: po 8 uderzeń na stronę. Profil wymaga jeszcze "
                                            "niezależnej weryfikacji."));
    }
    lines.push_back(literal(trained + " · sprawdzenie z pominięciem próbek 100%. Czeka na NOWE uderzenia sprawdzające."));
    lines.push_back(literal("Weryfikacja: teraz sprawdzimy po 3 NOWE uderzenia na stronę. Odczekaj 1,2 s na "
                            "polecenie dla LEWEJ. Te uderzenia nie uczą modelu."));
    for (int block = 0; block < 2; ++block) {
        prompt("Weryfikacja", block + 1, 2, block == 0, 3);
        for (int n = 1; n <= 3; ++n)
            lines.push_back((block == 0 ? "LEWA " : "PRAWA ") + std::to_string(n) + "/3: " + peak +
                            literal(verification[static_cast<std::size_t>(block)]));
        if (block == 0) lines.push_back(blockDone);
    }
    return lines;
}

void expectLines(const std::vector<std::string>& lines, std::size_t at, const std::vector<std::string>& patterns) {
    ASSERT_GE(lines.size(), at + patterns.size());
    for (std::size_t i = 0; i < patterns.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[at + i], std::regex(patterns[i]))) << "line " << at + i << ": " << lines[at + i];
}

// Every state parses as the app reads it, and none repeats the one before.
void expectCalibrationStates(const std::vector<std::string>& states, const CalibrationUIState& last) {
    ASSERT_FALSE(states.empty());
    for (std::size_t i = 0; i < states.size(); ++i) {
        const auto state = decodeCalibrationUIState(states[i]);
        ASSERT_TRUE(state && isAccepted(*state)) << states[i];
        if (i > 0) {
            EXPECT_NE(states[i], states[i - 1]);
        }
    }
    EXPECT_EQ(decodeCalibrationUIState(states.front()), (CalibrationUIState{"Trening", Side::left, 0, 0, 8, 4, true}));
    EXPECT_EQ(decodeCalibrationUIState(states.back()), last);
}

// The journal's records after its header, as "<label>:<stage>" for taps and
// "<status>:<detail>" for milestones.
std::vector<std::string> journalOf(const TemporaryDirectory& folder, std::string_view kind) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder / "recordings/calibration")) files.push_back(entry.path());
    EXPECT_EQ(files.size(), 1u);
    std::vector<std::string> records;
    for (const std::string& line : test::linesOf(files.empty() ? "" : test::readFile(files[0]))) {
        const auto record = nlohmann::json::parse(line);
        if (record.at("event") == "session") {
            EXPECT_EQ(record.at("kind"), kind);
            EXPECT_EQ(record.at("hardwareModel"), hardwareModel());
        } else if (record.at("event") == "observation") {
            EXPECT_FALSE(record.at("samples").empty());
            records.push_back(record.at("label").get<std::string>() + ":" + record.at("stage").get<std::string>());
        } else {
            records.push_back(record.at("status").get<std::string>() + ":" + record.at("detail").get<std::string>());
        }
    }
    return records;
}

// What a journal holds after one training and verification with this verdict.
std::vector<std::string> journalOfOneCalibration(const std::string& verdict) {
    std::vector<std::string> records;
    for (int i = 0; i < 16; ++i) records.push_back(i / 4 % 2 == 0 ? "left:training" : "right:training");
    records.push_back("training-passed:1.0");
    for (int i = 0; i < 6; ++i) records.push_back(i < 3 ? "left:verification" : "right:verification");
    records.push_back(verdict);
    records.push_back("session-ended:");
    return records;
}

void saveFirmProfile(const fs::path& path) {
    const auto firm = test::simulatedSignatures(11, 8, simulation::Strength::firm);
    SideProfile::train(firm.left.features, firm.right.features, hardwareModel()).save(path);
}

const std::vector<std::string> allCorrect{" · weryfikacja OK", " · weryfikacja OK"};

TEST(CalibrationReplay, StrongCalibrationSavesTheProfileAndPlaysWithIt) {
    TemporaryDirectory folder;
    const CalibrationRun run = calibrate(folder, quickCalibration(CalibrationKind::strong, 1), "--calibrate-strong");
    EXPECT_EQ(run.exitStatus, 0);
    const auto& lines = run.lines;
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "REPLAY: dane CSV, bez sensora i bez blokady klawiatury.");
    test::expectDefaultReadyLines(lines, 1, 10);
    EXPECT_TRUE(std::regex_match(lines[3], std::regex(literal("Zapis oznaczonych próbek kalibracji: " +
                                                              (folder / "recordings/calibration/").string()) +
                                                      R"(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\dZ-[0-9A-F-]{36}\.jsonl)")))
        << lines[3];
    auto expected = calibrationLines("mocniej (peak >= 0.160 g)", "Model nauczony", allCorrect);
    expected.push_back(literal("Profil stron zapisany · niezależny test 6/6 (lewa 3/3, prawa 3/3). Możesz grać."));
    for (const char* hit : {"L  tom   ", "R  snare ", "L  tom   ", "R  snare "})
        expected.push_back(hit + std::string("  ") + peak + R"(  volume .*  model główny  .*)");
    expected.push_back(R"(Koniec: \d+ próbek, 4 uderzeń, 0 niepewnych stron\.)");
    EXPECT_EQ(lines.size(), 4 + expected.size());
    expectLines(lines, 4, expected);
    expectCalibrationStates(run.calibration, {"Weryfikacja", std::nullopt, 3, 3, 3, 0, false});

    EXPECT_EQ(SideProfile::load(folder / "p.json", hardwareModel()).counts, (std::array<std::int64_t, 2>{8, 8}));
    EXPECT_FALSE(fs::exists(folder / "light-side-profile.json"));
    EXPECT_EQ(journalOf(folder, "strong"), journalOfOneCalibration("profile-saved:6/6 independent hits"));
}

TEST(CalibrationReplay, FailedVerificationStartsOverAndKeepsTheOldProfile) {
    TemporaryDirectory folder;
    saveFirmProfile(folder / "p.json");
    const std::string before = test::readFile(folder / "p.json");
    simulation::Scene scene = quickCalibration(CalibrationKind::strong, 10, true);
    // Up to just after the new training's first prompt.
    scene.duration = scene.taps.at(21).time + 1.26;
    const CalibrationRun run = calibrate(folder, scene, "--calibrate-strong");
    EXPECT_EQ(run.exitStatus, 0);
    const std::string failed = " · weryfikacja: strona niepewna lub błędna";
    auto expected = calibrationLines("mocniej (peak >= 0.160 g)", "Model nauczony", {" · weryfikacja OK", failed});
    expected.push_back(literal("Nie zapisano profilu: Niezależny sprawdzian: 3/6 trafień (lewa 3/3, prawa 0/3). "
                               "Potrzeba co najmniej 5/6 pewnych trafień."));
    expected.push_back(literal("Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian."));
    expected.push_back(literal("Trening — blok 1/4: klepnij LEWĄ stronę 4 razy mocniej (peak >= 0.160 g), co około "
                               "pół sekundy. Audio podczas kalibracji jest wyciszone."));
    expected.push_back(R"(Koniec: \d+ próbek, 0 uderzeń, 0 niepewnych stron\.)");
    ASSERT_EQ(run.lines.size(), 4 + expected.size()) << run.lines.back();
    expectLines(run.lines, 4, expected);
    expectCalibrationStates(run.calibration, {"Trening", Side::left, 0, 0, 8, 4, true});
    EXPECT_NE(std::find(run.calibration.begin(), run.calibration.end(),
                        encode({"Trening", Side::left, 0, 0, 8, 4, false})),
              run.calibration.end());

    EXPECT_EQ(test::readFile(folder / "p.json"), before);
    EXPECT_EQ(journalOf(folder, "strong"),
              journalOfOneCalibration("verification-rejected:Niezależny sprawdzian: 3/6 trafień (lewa 3/3, prawa "
                                      "0/3). Potrzeba co najmniej 5/6 pewnych trafień."));
}

TEST(CalibrationReplay, LightCalibrationReplacesOnlyTheLightProfile) {
    TemporaryDirectory folder;
    saveFirmProfile(folder / "p.json");
    const auto gentle = test::simulatedSignatures(12, 8, simulation::Strength::gentle);
    LightSideProfile(SideProfile::train(gentle.left.features, gentle.right.features, hardwareModel()), 0.16)
        .save(folder / "light-side-profile.json");
    const std::string firmBefore = test::readFile(folder / "p.json");

    const CalibrationRun run = calibrate(folder, quickCalibration(CalibrationKind::light, 4), "--calibrate-light");
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_GE(run.lines.size(), 6u);
    EXPECT_EQ(run.lines[0], "Profil stron załadowany · walidacja 100%");
    EXPECT_EQ(run.lines[1], "Profil lekkich załadowany · peak < 0.160 g · walidacja 100%");
    auto expected = calibrationLines("delikatnie (peak >= 0.050 g i < 0.160 g)", "Model lekkich nauczony (atak + impuls)",
                                     allCorrect);
    expected.push_back(literal("Profil lekkich zapisany · niezależny test 6/6 (lewa 3/3, prawa 3/3). Możesz grać."));
    for (const char* hit : {"L  kick  ", "R  hihat ", "L  kick  ", "R  hihat "})
        expected.push_back(hit + std::string("  ") + peak + R"(  volume .*  model lekki  .*)");
    expected.push_back(R"(Koniec: \d+ próbek, 4 uderzeń, 0 niepewnych stron\.)");
    EXPECT_EQ(run.lines.size(), 6 + expected.size());
    expectLines(run.lines, 6, expected);

    EXPECT_EQ(test::readFile(folder / "p.json"), firmBefore);
    // Replaced: the light profile saved above used no impulse.
    const LightSideProfile light = LightSideProfile::load(folder / "light-side-profile.json", hardwareModel());
    EXPECT_EQ(light.version, 2);
    EXPECT_TRUE(light.profile && light.usesImpulse());
    EXPECT_EQ(light.maximumPeak, 0.16);
    EXPECT_EQ(journalOf(folder, "light"), journalOfOneCalibration("profile-saved:6/6 independent hits"));
}

}  // namespace
}  // namespace knockbox
