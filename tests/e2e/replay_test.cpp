// Replay with the built executable, on short simulated recordings (replay
// runs in real time). How a signal ends a run: live_mode_test.cpp; recording
// while replaying: recording_safety_test.cpp.
#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/scenes.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::TemporaryDirectory;

// A muted replay of `path` with more arguments and no saved side profile (the
// lines are then the heuristic's on every machine).
test::ProcessSetup replaying(const fs::path& path, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments{"--replay", path.string(), "--mute"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return {.arguments = arguments, .environment = {{"KNOCKBOX_SIDE_PROFILE", (path.parent_path() / "none.json").string()}}};
}

// The lines of a short groove, byte for byte as the player wrote them before
// the fast trigger existed (tests/e2e/expected_replay_*.txt). (That the fast
// trigger changes when each tap sounds, never what the lines say, and what
// --debug adds for it: the session's tests.)
TEST(Replay, DefaultAndDebugLinesAreUnchanged) {
    TemporaryDirectory directory;
    const fs::path path = directory / "groove.csv";
    test::writeRecording(path, *simulation::scenario("groove", 5, 4.3));
    // Side by side: each replay runs in real time.
    ChildProcess plain(KNOCKBOX_EXECUTABLE, replaying(path)), debug(KNOCKBOX_EXECUTABLE, replaying(path, {"--debug"}));
    EXPECT_EQ(plain.wait().err, test::readFile(KNOCKBOX_SOURCE_DIR "/tests/e2e/expected_replay_default.txt"));
    EXPECT_EQ(debug.wait().err, test::readFile(KNOCKBOX_SOURCE_DIR "/tests/e2e/expected_replay_debug.txt"));
}

TEST(Replay, DurationFeedsASampleExactlyAtTheEnd) {
    TemporaryDirectory directory;
    const fs::path path = directory / "three.csv";
    test::writeFile(path, "0.0,0.0,0.0,-1.0\n0.5,0.0,0.0,-1.0\n1.0,0.0,0.0,-1.0\n");
    for (const auto& [duration, samples] : {std::pair{"1", "3"}, std::pair{"0.9999", "2"}}) {
        const auto result = ChildProcess(KNOCKBOX_EXECUTABLE, replaying(path, {"--duration", duration})).wait();
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(test::linesOf(result.err).back(),
                  std::string("Koniec: ") + samples + " próbek, 0 uderzeń, 0 niepewnych stron.");
    }
}

}  // namespace
}  // namespace knockbox
