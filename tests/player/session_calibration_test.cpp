// The calibration inside a play session, fed the simulator's calibration
// scenarios at full speed. (Simulated users calibrating and then playing: the
// self-test and tests/e2e/calibration_replay_test.cpp; refused taps: the
// calibration capture's tests.)
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
    std::size_t countContaining(std::string_view part) const {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
    }
};

Options parsed(std::vector<std::string> arguments) { return parseOptions(arguments); }

void play(Session& session, const simulation::Scene& scene) {
    for (const AccelSample& sample : simulation::render(scene)) session.receive(sample, true);
    session.stop();
}

// A verified profile that cannot be saved ends the run: no retry (it would
// fail the same way), the reason after the summary, every later sample ignored.
TEST(SessionCalibration, AProfileThatCannotBeSavedEndsTheRun) {
    CalibrationProbe probe;
    std::ofstream(probe.folder / "file") << "not a folder";
    probe.sideProfile = probe.folder / "file/p.json";
    Session session(parsed({"--mute", "--calibrate-strong"}), probe.environment());
    play(session, *simulation::scenario("calibration-strong", 1));
    ASSERT_GE(probe.lines.size(), 4u);
    EXPECT_EQ(probe.lines[2], "Zapis próbek niedostępny: " + (probe.folder / "file").string() + ": Not a directory");
    EXPECT_TRUE(session.failed());
    EXPECT_FALSE(session.calibration()->isComplete());
    EXPECT_EQ(probe.countContaining("Nie zapisano profilu"), 0u);
    EXPECT_EQ(probe.countContaining("Nowa próba"), 0u);
    EXPECT_TRUE(probe.lines[probe.lines.size() - 2].starts_with("Koniec: ")) << probe.lines[probe.lines.size() - 2];
    EXPECT_EQ(probe.lines.back(), "Błąd: Nie można zapisać profilu kalibracji: " + (probe.folder / "file").string() +
                                      ": Not a directory");
}

TEST(SessionCalibration, TypingCalibrationRaisesTheBandFirst) {
    simulation::Scene scene{.duration = 7.2};
    for (double t = 2.3; t < 6.9; t += 0.37) scene.clicks.push_back({t, 0.1});
    CalibrationProbe probe;
    Session session(parsed({"--mute", "--calibrate-light", "--calibrate-typing"}), probe.environment());
    play(session, scene);
    const DetectorConfig& config = session.detector().config();
    ASSERT_GT(config.accent, 0.16) << "clicks too soft to move the band";
    EXPECT_EQ(probe.countContaining("Trening — blok 1/4: klepnij LEWĄ stronę 4 razy delikatnie (peak >= " +
                                    fixed(config.threshold, 3) + " g i < " + fixed(config.accent, 3) + " g), "),
              1u);
}

}  // namespace
}  // namespace knockbox
