// --self-test run through the built executable: every check passes on this
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

// Then a copy of the program beside a Live kit with one truncated recording,
// or with no kit at all: the Live check fails and says why, every other check
// still runs, and the run ends with status 1.
TEST(SelfTest, EveryCheckPassesHereAndADamagedLiveKitFailsItsOwn) {
    TemporaryDirectory temporary;
    const auto result = test::runKnockbox({"--self-test"}, {.environment = {{"TMPDIR", temporary.path().string()}}});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const auto lines = test::linesOf(result.err);
    ASSERT_GE(lines.size(), 2u);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_TRUE(lines[i].starts_with("OK · ")) << lines[i];
    const std::string count = std::to_string(lines.size() - 1);
    EXPECT_EQ(lines.back(), "Self-test: " + count + " z " + count + " sprawdzeń OK.");
    EXPECT_TRUE(fs::is_empty(temporary.path()));
    // A temporary folder that is not there is named.
    const auto noFolder = test::runKnockbox({"--self-test"}, {.environment = {{"TMPDIR", (temporary / "gone").string()}}});
    EXPECT_EQ(noFolder.exitStatus, 1);
    EXPECT_EQ(noFolder.err, "Błąd: nie można utworzyć folderu tymczasowego w TMPDIR=" + (temporary / "gone").string() +
                                ": No such file or directory\n");

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
        const auto damaged = test::ChildProcess((folder / "bin/knockbox").string(), {.arguments = {"--self-test"}}).wait();
        EXPECT_EQ(damaged.exitStatus, 1);
        const auto damagedLines = test::linesOf(damaged.err);
        ASSERT_EQ(damagedLines.size(), lines.size()) << damaged.err;
        EXPECT_EQ(std::count_if(damagedLines.begin(), damagedLines.end(), [](const auto& l) { return l.starts_with("BŁĄD · "); }), 1)
            << damaged.err;
        const std::string expected =
            truncated ? "BŁĄD · sample · Live: nie wczytano 1 z 48 nagrań z " + copy.string() +
                            ": snare-2-1.caf nie jest pełnym nagraniem 48 kHz mono 32-bit float"
                      : "BŁĄD · sample · Live: nie można sprawdzić, brak folderu " + copy.string();
        EXPECT_NE(std::find(damagedLines.begin(), damagedLines.end(), expected), damagedLines.end()) << damaged.err;
        EXPECT_EQ(damagedLines.back(), "Błąd: self-test wykrył problemy w 1 z " + count + " sprawdzeń.");
    }
}

}  // namespace
}  // namespace knockbox
