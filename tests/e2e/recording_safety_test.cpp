// What a user can lose or get stuck on with recordings, tried with the built
// program: a recording is never destroyed by a run that did not replace it,
// never cut mid-line, never mixed with other output, and a failure to put it
// in place is a failure. (Paths that would wait for a peer: blocking_paths_test.)
#include <gtest/gtest.h>

#include "recording/csv_recording.h"
#include "support/child_process.h"
#include "support/scenes.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::ProcessResult;
using test::runKnockbox;
using test::TemporaryDirectory;

const std::string oldRecording = "t,x,y,z,gx,gy,gz\n1.000000000,0.0000000,0.0000000,-1.0000000,,,\n";

fs::path writeQuiet(const TemporaryDirectory& directory, double seconds) {
    test::writeRecording(directory / "in.csv", *simulation::scenario("quiet", 1, seconds));
    return directory / "in.csv";
}

// A file size limit fails writes as a full disk does: the run ends with
// status 1 after its summary, and the recording holds complete lines only.
TEST(RecordingSafety, AWriteErrorEndsTheRunAndLeavesAReplayableFile) {
    TemporaryDirectory directory;
    const fs::path input = writeQuiet(directory, 1), target = directory / "out.csv";
    test::writeFile(target, oldRecording);
    const ProcessResult result =
        ChildProcess("/usr/bin/prlimit", {.arguments = {"--fsize=5000", KNOCKBOX_EXECUTABLE, "--replay", input.string(),
                                                        "--mute", "--record", target.string()}})
            .wait();
    EXPECT_EQ(result.exitStatus, 1);
    const auto lines = test::linesOf(result.err);
    ASSERT_GE(lines.size(), 2u) << result.err;
    EXPECT_EQ(lines[lines.size() - 2], "Błąd zapisu CSV: File too large");
    EXPECT_TRUE(lines.back().starts_with("Koniec: ")) << result.err;
    const std::string written = test::readFile(target);
    EXPECT_TRUE(written.ends_with("\n"));
    const Recording kept = parseRecording(written);
    const Recording all = readRecording(input);
    EXPECT_GT(kept.size(), 10u);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin()));
    EXPECT_FALSE(fs::exists(directory / "out.csv.partial"));
}

// A recording that cannot be moved into place (a folder now stands at the
// target) is a failure that names where the recording is.
TEST(RecordingSafety, AFailedMoveIntoPlaceEndsWithStatusOneAndNamesThePartialFile) {
    TemporaryDirectory directory;
    const fs::path input = writeQuiet(directory, 1.5), target = directory / "out.csv";
    ChildProcess run(KNOCKBOX_EXECUTABLE, {.arguments = {"--replay", input.string(), "--mute", "--record", target.string()}});
    ASSERT_TRUE(test::eventually([&] { return fs::exists(directory / "out.csv.partial"); }));
    fs::create_directories(target / "inside");
    const ProcessResult result = run.wait();
    EXPECT_EQ(result.exitStatus, 1);
    const auto lines = test::linesOf(result.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Błąd: Nagranie zostało w " + (directory / "out.csv.partial").string() +
                                ": nie można go przenieść na " + target.string() + " (Is a directory).");
    EXPECT_EQ(test::readFile(directory / "out.csv.partial"), test::readFile(input));
}

// With standard input, output and error closed, nothing the player writes
// lands in the recording, and it still runs to its end.
TEST(RecordingSafety, ClosedStandardStreamsNeverReceiveTheRecording) {
    TemporaryDirectory directory;
    const fs::path input = writeQuiet(directory, 0.5), target = directory / "out.csv";
    const ProcessResult closed = ChildProcess("/bin/sh", {.arguments = {"-c", "exec \"$0\" --replay \"$1\" --mute --record \"$2\" <&- >&- 2>&-",
                                                                        KNOCKBOX_EXECUTABLE, input.string(), target.string()}})
                                     .wait();
    EXPECT_EQ(closed.exitStatus, 0);
    EXPECT_EQ(test::readFile(target), test::readFile(input));

    const ProcessResult full = ChildProcess("/bin/sh", {.arguments = {"-c", "exec \"$0\" --help >/dev/full", KNOCKBOX_EXECUTABLE}}).wait();
    EXPECT_EQ(full.exitStatus, 1);
    EXPECT_EQ(full.err, "Błąd: standardowe wyjście: No space left on device\n");
}

}  // namespace
}  // namespace knockbox
