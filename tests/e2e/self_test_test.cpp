// --self-test run through the built executable: every group passes on this
// build and leaves nothing behind; a damaged input fails its check, and the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::TemporaryDirectory;

// The group names of the check lines, in order of first appearance.
std::vector<std::string> groupsOf(const std::vector<std::string>& lines) {
    std::vector<std::string> groups;
    const std::string dot = " · ";
    for (const std::string& line : lines) {
        const auto first = line.find(dot), second = line.find(dot, first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string group = line.substr(first + dot.size(), second - first - dot.size());
        if (groups.empty() || groups.back() != group) groups.push_back(group);
    }
    return groups;
}

const std::vector<std::string> allGroups{"detektor", "sample", "kalibracja stron", "kalibracja lekkich",
                                         "ustawienia UI"};

TEST(SelfTest, EveryGroupPassesAndLeavesNothingBehind) {
    TemporaryDirectory temporary;
    const auto result = test::runKnockbox({"--self-test"}, {.environment = {{"TMPDIR", temporary.path().string()}}});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const auto lines = test::linesOf(result.err);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(groupsOf(lines), allGroups);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_TRUE(lines[i].starts_with("OK · ")) << lines[i];
    const std::string count = std::to_string(lines.size() - 1);
    EXPECT_EQ(lines.back(), "Self-test: " + count + " z " + count + " sprawdzeń OK.");
    EXPECT_TRUE(fs::is_empty(temporary.path()));
}

// A copy of the program beside a Live kit with one truncated recording, or
// with no kit at all: the Live check fails and says why, the other checks
// still run, and the run ends with status 1.
TEST(SelfTest, ADamagedLiveKitFailsItsCheckAndTheRun) {
    const fs::path kit = KNOCKBOX_SOURCE_DIR "/Kits/Live";
    for (bool truncated : {true, false}) {
        SCOPED_TRACE(truncated ? "truncated recording" : "no kit folder");
        TemporaryDirectory folder;
        fs::create_directories(folder / "bin");
        fs::copy_file(KNOCKBOX_EXECUTABLE, folder / "bin/knockbox");
        const fs::path copy = folder / "Kits/Live";
        if (truncated) {
            fs::create_directories(copy);
            for (const auto& entry : fs::directory_iterator(kit))
                fs::create_symlink(entry.path(), copy / entry.path().filename());
            fs::remove(copy / "snare-2-1.caf");
            const std::string bytes = test::readFile(kit / "snare-2-1.caf");
            std::ofstream(copy / "snare-2-1.caf", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
        }
        const auto result = test::ChildProcess((folder / "bin/knockbox").string(), {.arguments = {"--self-test"}}).wait();
        EXPECT_EQ(result.exitStatus, 1);
        const auto lines = test::linesOf(result.err);
        const auto failed = std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.starts_with("BŁĄD · "); });
        EXPECT_EQ(failed, 1) << result.err;
        const std::string expected =
            truncated ? "BŁĄD · sample · Live: nie wczytano 1 z 48 nagrań z " + copy.string() +
                            ": snare-2-1.caf nie jest pełnym nagraniem 48 kHz mono 32-bit float"
                      : "BŁĄD · sample · Live: nie można sprawdzić, brak folderu " + copy.string();
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << result.err;
        EXPECT_EQ(groupsOf(lines), allGroups);
        EXPECT_EQ(lines.back(), "Błąd: self-test wykrył problemy w 1 z " + std::to_string(lines.size() - 1) +
                                    " sprawdzeń.");
    }
}

}  // namespace
}  // namespace knockbox
