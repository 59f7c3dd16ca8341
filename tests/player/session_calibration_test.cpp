// The calibration inside a play session, fed the simulator's calibration
// scenarios at full speed (the built program's lines are checked end to end
// in tests/e2e/calibration_replay_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "core/number_text.h"
#include "player/session.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

struct CalibrationProbe {
    test::TemporaryDirectory folder;
    fs::path sideProfile = folder / "p.json";
    std::vector<std::string> lines;

    SessionEnvironment environment() {
        CalibrationFiles files{sideProfile, sideProfile.parent_path() / "light-side-profile.json", "Test1,1",
                               [] { return std::pair(std::chrono::system_clock::now(), std::string("0-0-0-0-1")); }};
        return {[] { return 0.0; }, [this](std::string_view line) { lines.emplace_back(line); }, {}, files};
    }
    std::size_t countStarting(std::string_view prefix) const {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
    }
    std::size_t countContaining(std::string_view part) const {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
    }
    bool has(std::string_view text) const { return std::find(lines.begin(), lines.end(), text) != lines.end(); }
};

Options calibrating(std::string_view mode) {
    Options options;
    options.muted = true;
    options.calibrateSides = mode != "light";
    options.calibrateStrong = mode == "strong";
    options.calibrateLight = mode == "light";
    return options;
}

void play(Session& session, const simulation::Scene& scene) {
    for (const AccelSample& sample : simulation::render(scene)) session.receive(sample, true);
    session.stop();
}

TEST(SessionCalibration, SimulatedUsersCalibrateThenPlay) {
    const std::string sidesSaved = "Profil stron zapisany · niezależny test 6/6 (lewa 3/3, prawa 3/3). Możesz grać.";
    const std::string lightSaved = "Profil lekkich zapisany · niezależny test 6/6 (lewa 3/3, prawa 3/3). Możesz grać.";
    struct Case {
        const char* scenario;
        const char* mode;
        std::string saved;
        std::vector<std::string> alsoWritten;  // parts of lines
        std::size_t trainings = 1;
    } cases[] = {
        {"calibration-sides", "sides", sidesSaved, {"Model nauczony · "}},
        {"calibration-strong", "strong", sidesSaved, {"Model nauczony · "}},
        {"calibration-light", "light", lightSaved, {"Model lekkich nauczony (atak + impuls) · "}},
        {"calibration-strong-refused",
         "strong",
         sidesSaved,
         {"PRAWA 2/8: próbka pominięta; zachowaj co najmniej 0,35 s między uderzeniami.",
          " jest za mały do mocnej kalibracji (wymagane >= 0.160 g)."}},
        {"calibration-light-refused",
         "light",
         lightSaved,
         {"PRAWA 2/8: próbka pominięta; zachowaj co najmniej 0,35 s między uderzeniami.",
          " jest za duży do lekkiej kalibracji (wymagane < 0.160 g)."}},
        {"calibration-strong-retry",
         "strong",
         sidesSaved,
         {"Nie zapisano profilu: Niezależny sprawdzian: 3/6 trafień (lewa 3/3, prawa 0/3). Potrzeba co najmniej 5/6 "
          "pewnych trafień.",
          "Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian."},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        CalibrationProbe probe;
        Session session(calibrating(c.mode), probe.environment());
        play(session, *simulation::scenario(c.scenario, 1));
        for (const std::string& part : c.alsoWritten) EXPECT_EQ(probe.countContaining(part), 1u) << part;
        EXPECT_EQ(probe.countStarting("Trening — blok 1/4: "), c.trainings);
        EXPECT_TRUE(probe.has(c.saved));
        ASSERT_TRUE(session.calibration() && session.calibration()->isComplete());
        // Only the taps after the calibration are played, each with the new profile.
        EXPECT_EQ(session.hitCount(), 4);
        EXPECT_EQ(session.uncertainHits(), 0);
        EXPECT_EQ(session.detector().selectedSideModel(), c.saved == lightSaved ? "lekki" : "główny");
        const bool light = std::string_view(c.mode) == "light";
        EXPECT_EQ(fs::exists(probe.folder / "p.json"), !light);
        EXPECT_EQ(fs::exists(probe.folder / "light-side-profile.json"), light);
    }
}

TEST(SessionCalibration, UnwritableFolderCalibratesWithoutJournalAndSavesNothing) {
    CalibrationProbe probe;
    std::ofstream(probe.folder / "file") << "not a folder";
    probe.sideProfile = probe.folder / "file/p.json";
    Session session(calibrating("strong"), probe.environment());
    play(session, *simulation::scenario("calibration-strong", 1));
    ASSERT_GE(probe.lines.size(), 4u);
    EXPECT_EQ(probe.lines[2], "Zapis próbek niedostępny: " + (probe.folder / "file").string() + ": Not a directory");
    EXPECT_TRUE(probe.lines[3].starts_with("Trening — blok 1/4: klepnij LEWĄ")) << probe.lines[3];
    const auto notSaved = std::find_if(probe.lines.begin(), probe.lines.end(), [](const std::string& line) {
        return line.starts_with("Nie zapisano profilu: Nie można zapisać profilu kalibracji: ");
    });
    ASSERT_NE(notSaved, probe.lines.end());
    EXPECT_EQ(notSaved[1], "Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian.");
    // Still calibrating: the taps that follow start the next training and play nothing.
    EXPECT_FALSE(session.calibration()->isComplete());
    EXPECT_EQ(session.hitCount(), 0);
    EXPECT_EQ(probe.countStarting("Błąd zapisu"), 0u);
}

TEST(SessionCalibration, TypingCalibrationRaisesTheBandFirst) {
    simulation::Scene scene;
    scene.duration = 7.2;
    for (double t = 2.3; t < 6.9; t += 0.37) scene.clicks.push_back({t, 0.1});
    CalibrationProbe probe;
    Options options = calibrating("light");
    options.calibrateTyping = true;
    Session session(options, probe.environment());
    play(session, scene);
    const DetectorConfig& config = session.detector().config();
    ASSERT_GT(config.accent, 0.16) << "clicks too soft to move the band";
    EXPECT_TRUE(probe.has("Trening — blok 1/4: klepnij LEWĄ stronę 4 razy delikatnie (peak >= " +
                          fixed(config.threshold, 3) + " g i < " + fixed(config.accent, 3) +
                          " g), co około pół sekundy. Audio podczas kalibracji jest wyciszone."));
}

}  // namespace
}  // namespace knockbox
