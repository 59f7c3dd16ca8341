// Guided side calibrations with the built program, replaying a simulated user
// who follows the prompts as fast as the calibration allows (replay runs in
// real time: about 17 s each). Profiles and journals go to a temporary folder.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "platform/hardware_model.h"
#include "protocol/calibration_ui_state.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/side_signatures.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using simulation::CalibrationKind;
using test::TemporaryDirectory;
using Lines = std::vector<std::string>;

struct CalibrationRun {
    Lines lines{};        // without the CALIBRATION lines
    Lines calibration{};  // their JSON
};

// Taps 0.37 s apart, 0.1 s after each prompt; seeds whose simulated taps
// train to 100 % and verify 6/6. The scene ends `cut` seconds after the tap
// of that index when given. Every run ends well, a failed verification too.
CalibrationRun calibrate(const TemporaryDirectory& folder, CalibrationKind kind, std::uint64_t seed, const char* mode,
                         bool wrongSideOnce = false, std::optional<std::pair<std::size_t, double>> cut = {}) {
    simulation::Scene scene = simulation::calibrationScene({kind, 0.37, 0.1, false, wrongSideOnce, 4}, seed);
    if (cut) scene.duration = scene.taps.at(cut->first).time + cut->second;
    test::writeRecording(folder / "calibration.csv", scene);
    const auto result = test::runKnockbox({"--replay", (folder / "calibration.csv").string(), mode, "--mute", "--debug"},
                                          {.environment = {{"KNOCKBOX_SIDE_PROFILE", (folder / "p.json").string()}}});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    CalibrationRun run;
    for (std::string& line : test::linesOf(result.err)) {
        if (line.starts_with("CALIBRATION ")) run.calibration.push_back(line.substr(12));
        else run.lines.push_back(std::move(line));
    }
    return run;
}

// The lines from `at` on, each as its pattern, where "*" stands for any text
// (no pattern holds another of fnmatch's special characters).
void expectLines(const Lines& lines, std::size_t at, const Lines& patterns) {
    ASSERT_EQ(lines.size(), at + patterns.size()) << lines.back();
    for (std::size_t i = 0; i < patterns.size(); ++i)
        EXPECT_EQ(fnmatch(patterns[i].c_str(), lines[at + i].c_str(), 0), 0) << "line " << at + i << ": " << lines[at + i];
}

const std::string blockDone = "Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo.";

std::string prompt(const std::string& stage, int block, int of, bool left, int count, const std::string& strength) {
    return stage + " — blok " + std::to_string(block) + "/" + std::to_string(of) + ": klepnij " +
           (left ? "LEWĄ" : "PRAWĄ") + " stronę " + std::to_string(count) + " razy " + strength +
           ", co około pół sekundy. Audio podczas kalibracji jest wyciszone.";
}

// What the player writes from the first prompt to the verdict.
Lines calibrationLines(const std::string& strength, const std::string& trained, const Lines& verification) {
    Lines lines;
    for (int block = 0; block < 4; ++block) {
        const bool left = block % 2 == 0;
        lines.push_back(prompt("Trening", block + 1, 4, left, 4, strength));
        for (int n = 1; n <= 4; ++n)
            lines.push_back((left ? "LEWA " : "PRAWA ") + std::to_string(4 * (block / 2) + n) + "/8: peak * g");
        lines.push_back(block < 3 ? blockDone
                                  : "Trening zebrany: po 8 uderzeń na stronę. Profil wymaga jeszcze niezależnej "
                                    "weryfikacji.");
    }
    lines.push_back(trained + " · sprawdzenie z pominięciem próbek 100%. Czeka na NOWE uderzenia sprawdzające.");
    lines.push_back("Weryfikacja: teraz sprawdzimy po 3 NOWE uderzenia na stronę. Odczekaj 1,2 s na polecenie dla "
                    "LEWEJ. Te uderzenia nie uczą modelu.");
    for (int block = 0; block < 2; ++block) {
        lines.push_back(prompt("Weryfikacja", block + 1, 2, block == 0, 3, strength));
        for (int n = 1; n <= 3; ++n)
            lines.push_back((block == 0 ? "LEWA " : "PRAWA ") + std::to_string(n) + "/3: peak * g" +
                            verification[static_cast<std::size_t>(block)]);
        if (block == 0) lines.push_back(blockDone);
    }
    return lines;
}
const Lines allCorrect{" · weryfikacja OK", " · weryfikacja OK"};

// The four hit lines of the play after a calibration, and the summary.
void addPlay(Lines& lines, const Lines& hits, const std::string& model, int played) {
    for (const std::string& hit : hits) lines.push_back(hit + "  peak * g  volume *  model " + model + "  *");
    lines.push_back("Koniec: * próbek, " + std::to_string(played) + " uderzeń, 0 niepewnych stron.");
}

// Every state parses as the app reads it, and none repeats the one before.
void expectCalibrationStates(const Lines& states, const CalibrationUIState& last) {
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

// The one journal's records after its header, as "<label>:<stage>" for taps
// and "<status>:<detail>" for milestones; the run named it once.
Lines journalOf(const TemporaryDirectory& folder, std::string_view kind, const CalibrationRun& run) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder / "recordings/calibration")) files.push_back(entry.path());
    EXPECT_EQ(files.size(), 1u);
    if (files.empty()) return {};
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "Zapis oznaczonych próbek kalibracji: " + files[0].string()), 1);
    Lines records;
    for (const std::string& line : test::linesOf(test::readFile(files[0]))) {
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
Lines journalOfOneCalibration(const std::string& verdict) {
    Lines records;
    for (int i = 0; i < 16; ++i) records.push_back(i / 4 % 2 == 0 ? "left:training" : "right:training");
    records.push_back("training-passed:1.0");
    for (int i = 0; i < 6; ++i) records.push_back(i < 3 ? "left:verification" : "right:verification");
    records.insert(records.end(), {verdict, "session-ended:"});
    return records;
}

void saveFirmProfile(const fs::path& path) {
    const auto firm = test::simulatedSignatures(11, 8, simulation::Strength::firm);
    SideProfile::train(firm.left.features, firm.right.features, hardwareModel()).save(path);
}

const std::string firmly = "mocniej (peak >= 0.160 g)";

TEST(CalibrationReplay, StrongCalibrationSavesTheProfileAndPlaysWithIt) {
    TemporaryDirectory folder;
    const CalibrationRun run = calibrate(folder, CalibrationKind::strong, 1, "--calibrate-strong");
    Lines expected = calibrationLines(firmly, "Model nauczony", allCorrect);
    expected.push_back("Profil stron zapisany · niezależny test 6/6 (lewa 3/3, prawa 3/3). Możesz grać.");
    addPlay(expected, {"L  tom   ", "R  snare ", "L  tom   ", "R  snare "}, "główny", 4);
    expectLines(run.lines, 4, expected);
    expectCalibrationStates(run.calibration, {"Weryfikacja", std::nullopt, 3, 3, 3, 0, false});

    EXPECT_EQ(SideProfile::load(folder / "p.json", hardwareModel()).counts, (std::array<std::int64_t, 2>{8, 8}));
    EXPECT_FALSE(fs::exists(folder / "light-side-profile.json"));
    EXPECT_EQ(journalOf(folder, "strong", run), journalOfOneCalibration("profile-saved:6/6 independent hits"));
}

TEST(CalibrationReplay, FailedVerificationStartsOverAndKeepsTheOldProfile) {
    TemporaryDirectory folder;
    saveFirmProfile(folder / "p.json");
    const std::string before = test::readFile(folder / "p.json");
    // Up to just after the new training's first prompt.
    const CalibrationRun run =
        calibrate(folder, CalibrationKind::strong, 10, "--calibrate-strong", true, std::pair{21, 1.26});
    const std::string missed = "Niezależny sprawdzian: 3/6 trafień (lewa 3/3, prawa 0/3). Potrzeba co najmniej 5/6 "
                               "pewnych trafień.";
    Lines expected = calibrationLines(firmly, "Model nauczony",
                                      {" · weryfikacja OK", " · weryfikacja: strona niepewna lub błędna"});
    expected.insert(expected.end(), {"Nie zapisano profilu: " + missed,
                                     "Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian.",
                                     prompt("Trening", 1, 4, true, 4, firmly)});
    addPlay(expected, {}, "", 0);  // nothing played
    expectLines(run.lines, 4, expected);
    expectCalibrationStates(run.calibration, {"Trening", Side::left, 0, 0, 8, 4, true});
    EXPECT_NE(std::find(run.calibration.begin(), run.calibration.end(),
                        encode({"Trening", Side::left, 0, 0, 8, 4, false})),
              run.calibration.end());

    EXPECT_EQ(test::readFile(folder / "p.json"), before);
    EXPECT_EQ(journalOf(folder, "strong", run), journalOfOneCalibration("verification-rejected:" + missed));
}

TEST(CalibrationReplay, LightCalibrationReplacesOnlyTheLightProfile) {
    TemporaryDirectory folder;
    saveFirmProfile(folder / "p.json");
    const auto gentle = test::simulatedSignatures(12, 8, simulation::Strength::gentle);
    LightSideProfile(SideProfile::train(gentle.left.features, gentle.right.features, hardwareModel()), 0.16)
        .save(folder / "light-side-profile.json");
    const std::string firmBefore = test::readFile(folder / "p.json");

    const CalibrationRun run = calibrate(folder, CalibrationKind::light, 4, "--calibrate-light");
    // After the loaded profiles' two lines (their text: the side profile
    // replay's test), the replay's three and the journal's.
    Lines expected = calibrationLines("delikatnie (peak >= 0.050 g i < 0.160 g)",
                                      "Model lekkich nauczony (atak + impuls)", allCorrect);
    expected.push_back("Profil lekkich zapisany · niezależny test 6/6 (lewa 3/3, prawa 3/3). Możesz grać.");
    addPlay(expected, {"L  kick  ", "R  hihat ", "L  kick  ", "R  hihat "}, "lekki", 4);
    expectLines(run.lines, 6, expected);

    EXPECT_EQ(test::readFile(folder / "p.json"), firmBefore);
    // Replaced: the light profile saved above used no impulse.
    const LightSideProfile light = LightSideProfile::load(folder / "light-side-profile.json", hardwareModel());
    EXPECT_TRUE(light.profile && light.usesImpulse());
    EXPECT_EQ(light.maximumPeak, 0.16);
    EXPECT_EQ(journalOf(folder, "light", run), journalOfOneCalibration("profile-saved:6/6 independent hits"));
}

}  // namespace
}  // namespace knockbox
