// Replay and record with the built executable, on short simulated recordings
// (replay runs in real time).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "core/number_text.h"
#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/player_lines.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::runKnockbox;
using test::TemporaryDirectory;

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A short groove: warm-up, then taps on all four drums.
simulation::Scene shortGroove(double duration = 3.6) {
    simulation::Scene scene;
    scene.seed = 11;
    scene.duration = duration;
    using simulation::Strength;
    scene.taps = {{2.2, Side::left, Strength::gentle, 0.09},  {2.5, Side::right, Strength::gentle, 0.10},
                  {2.8, Side::left, Strength::firm, 0.30},    {3.1, Side::right, Strength::firm, 0.35}};
    return scene;
}

fs::path writeRecording(const TemporaryDirectory& directory, const simulation::Scene& scene) {
    const fs::path path = directory / "groove.csv";
    write(path, recordingText(simulation::render(scene)));
    return path;
}

// A muted replay of `path` with more arguments.
test::ProcessResult replay(const fs::path& path, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments{"--replay", path.string(), "--mute"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return runKnockbox(arguments);
}

TEST(Replay, PrintsReadyLineHitsAndSummary) {
    TemporaryDirectory directory;
    const auto scene = shortGroove();
    const fs::path path = writeRecording(directory, scene);
    const auto result = replay(path);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const auto out = test::linesOf(result.err);
    ASSERT_GE(out.size(), 4u) << result.err;
    EXPECT_EQ(out[0], "REPLAY: dane CSV, bez sensora i bez blokady klawiatury.");
    test::expectDefaultReadyLines(out, 1, 10);

    const std::vector<std::string> expected{"L  kick ", "R  hihat ", "L  tom  ", "R  snare "};
    ASSERT_EQ(out.size(), 3 + expected.size() + 1) << result.err;
    const std::regex hitLine("[LR]  (kick  |snare |hihat |tom   )  peak \\d\\.\\d{3} g  volume [01]\\.\\d{2}");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(std::regex_match(out[3 + i], hitLine)) << out[3 + i];
        EXPECT_EQ(out[3 + i].substr(0, expected[i].size()), expected[i]) << out[3 + i];
    }
    const std::size_t samples = simulation::render(scene).size();
    EXPECT_EQ(out.back(), "Koniec: " + std::to_string(samples) + " próbek, 4 uderzeń, 0 niepewnych stron.");
}

TEST(Replay, DebugSuffixNamesTheModel) {
    TemporaryDirectory directory;
    const auto result = replay(writeRecording(directory, shortGroove(2.6)), {"--debug"});
    EXPECT_EQ(result.exitStatus, 0);
    const std::regex debugLine("L  kick    peak \\d\\.\\d{3} g  volume [01]\\.\\d{2}  X -?\\d\\.\\d{4}  strona "
                               "\\d+%  model heurystyka  threshold \\d\\.\\d{3}");
    EXPECT_TRUE(std::regex_search(result.err, debugLine)) << result.err;
}

// The lines of a short groove, byte for byte as the player wrote them before
// the fast trigger existed (tests/e2e/expected_replay_*.txt). The fast
// trigger changes when each tap sounds, never what the lines say; with
// --debug each hit line also shows the early decision after the rest.
TEST(Replay, DefaultLinesAreUnchangedAndTheFastTriggerWritesTheSame) {
    TemporaryDirectory directory;
    const fs::path path = directory / "groove.csv";
    write(path, recordingText(simulation::render(*simulation::scenario("groove", 5, 4.3))));
    const auto start = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments{"--replay", path.string(), "--mute"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        // No saved profile: the lines are the heuristic's on every machine.
        return std::make_unique<ChildProcess>(
            KNOCKBOX_EXECUTABLE,
            test::ProcessSetup{.arguments = arguments,
                               .environment = {{"KNOCKBOX_SIDE_PROFILE", (directory / "none.json").string()}}});
    };
    // Side by side: each replay runs in real time.
    auto plain = start({}), debug = start({"--debug"}), fast = start({"--fast-trigger"}),
         fastDebug = start({"--debug", "--fast-trigger"});
    const auto plainResult = plain->wait(), debugResult = debug->wait(), fastResult = fast->wait(),
               fastDebugResult = fastDebug->wait();

    const std::string expected = test::readFile(KNOCKBOX_SOURCE_DIR "/tests/e2e/expected_replay_default.txt");
    const std::string expectedDebug = test::readFile(KNOCKBOX_SOURCE_DIR "/tests/e2e/expected_replay_debug.txt");
    EXPECT_EQ(plainResult.err, expected);
    EXPECT_EQ(debugResult.err, expectedDebug);
    EXPECT_EQ(fastResult.err, expected);

    const auto debugLines = test::linesOf(expectedDebug), fastLines = test::linesOf(fastDebugResult.err);
    ASSERT_EQ(fastLines.size(), debugLines.size()) << fastDebugResult.err;
    const std::regex early("  wcześnie ([LR]) (mocne|delikatne)  peak \\d\\.\\d{3} g  głośność [01]\\.\\d{2}  strona \\d+%  model heurystyka");
    int hits = 0;
    for (std::size_t i = 0; i < debugLines.size(); ++i) {
        if (!debugLines[i].starts_with("L  ") && !debugLines[i].starts_with("R  ")) {
            EXPECT_EQ(fastLines[i], debugLines[i]);
            continue;
        }
        ++hits;
        ASSERT_TRUE(fastLines[i].starts_with(debugLines[i])) << fastLines[i];
        const std::string suffix = fastLines[i].substr(debugLines[i].size());
        std::smatch decided;
        ASSERT_TRUE(std::regex_match(suffix, decided, early)) << fastLines[i];
        // On these taps the first milliseconds already tell the full window's side and strength.
        const bool firm = debugLines[i].find("tom") != std::string::npos || debugLines[i].find("snare") != std::string::npos;
        EXPECT_EQ(decided[1], debugLines[i].substr(0, 1)) << fastLines[i];
        EXPECT_EQ(decided[2], firm ? "mocne" : "delikatne") << fastLines[i];
    }
    EXPECT_EQ(hits, 6);
}

TEST(Replay, DurationFeedsASampleExactlyAtTheEnd) {
    TemporaryDirectory directory;
    const fs::path path = directory / "three.csv";
    write(path, "0.0,0.0,0.0,-1.0\n0.5,0.0,0.0,-1.0\n1.0,0.0,0.0,-1.0\n");
    auto result = replay(path, {"--duration", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(test::linesOf(result.err).back(), "Koniec: 3 próbek, 0 uderzeń, 0 niepewnych stron.");
    result = replay(path, {"--duration", "0.9999"});
    EXPECT_EQ(test::linesOf(result.err).back(), "Koniec: 2 próbek, 0 uderzeń, 0 niepewnych stron.");
}

TEST(Replay, SigtermStopsWithinASliceAndStillSummarises) {
    TemporaryDirectory directory;
    simulation::Scene quiet;  // 4 s without taps
    quiet.seed = 11;
    quiet.duration = 4.0;
    const fs::path path = writeRecording(directory, quiet);
    // The sanitizer build's leak check at exit takes a few hundred
    // milliseconds on a busy machine; the other replays check for leaks.
    ChildProcess child(KNOCKBOX_EXECUTABLE, {.arguments = {"--replay", path.string(), "--mute"},
                                             .environment = {{"ASAN_OPTIONS", "detect_leaks=0"}}});
    // The ready line comes after 2 s of samples, half of the recording.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (child.errorSoFar().find("GOTOWE") == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto sent = std::chrono::steady_clock::now();
    child.sendSignal(SIGTERM);
    const auto result = child.wait(10);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_LT(took, 0.3);
    const auto out = test::linesOf(result.err);
    ASSERT_FALSE(out.empty());
    std::smatch summary;
    ASSERT_TRUE(std::regex_match(out.back(), summary, std::regex("Koniec: (\\d+) próbek, 0 uderzeń, 0 niepewnych stron.")))
        << result.err;
    // At least the 2 s before the ready line, and not the whole recording.
    EXPECT_GE(std::stoi(summary[1]), 1600);
    EXPECT_LT(static_cast<std::size_t>(std::stoi(summary[1])), simulation::render(quiet).size());
}

TEST(Replay, RecordWritesTheSamplesBack) {
    TemporaryDirectory directory;
    const fs::path path = writeRecording(directory, shortGroove(2.3));
    const fs::path copy = directory / "copy.csv";
    const auto result = replay(path, {"--record", copy.string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // The input was written at the recording's own precision, so the copy is identical.
    EXPECT_EQ(test::readFile(copy), test::readFile(path));

    const auto refused = replay(path, {"--record", "/nonexistent/r.csv"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err, "Błąd: Nie można zapisać nagrania: /nonexistent/r.csv (No such file or directory)\n");
}

TEST(Replay, MalformedRecordingsPlayNothing) {
    TemporaryDirectory directory;
    const std::string expectation = ". Oczekiwano rosnących t,x,y,z.";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"t,x,y,z,gx,gy,gz\n1.0,0,0,-1,,,\n1.0,0,0,-1,,,\n", "Nieprawidłowy CSV lub czas w wierszu 3" + expectation},
        {"1.0,0,0,-1,x,y,z\n", "Nieprawidłowy CSV lub czas w wierszu 1" + expectation},
        {"1.0,0,0,-1\n\n\n2.0,0,0,-1,0\n", "Nieprawidłowy CSV lub czas w wierszu 2" + expectation},
        {"1.0,0,0,-1\n2.0,0,0,nan\n", "Nieprawidłowy CSV lub czas w wierszu 2" + expectation},
        {"", "Nagranie jest puste."},
        {"t,x,y,z\n\n", "Nagranie jest puste."},
    };
    for (const auto& [content, message] : cases) {
        write(directory / "bad.csv", content);
        const auto result = replay(directory / "bad.csv");
        EXPECT_EQ(result.exitStatus, 1) << content;
        EXPECT_EQ(result.err, "Błąd: " + message + "\n") << content;
        EXPECT_EQ(result.out, "");
    }
    const auto missing = runKnockbox({"--replay", (directory / "none.csv").string()});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace knockbox
