#include "core/file_replacement.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <system_error>

#include "support/child_process.h"
#include "support/thrown.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

TEST(FileReplacement, ReplacesWholeAndLeavesNothingBeside) {
    test::TemporaryDirectory folder;
    replaceFile(folder / "a.json", "first");
    replaceFile(folder / "a.json", "second, longer");
    EXPECT_EQ(test::readFile(folder / "a.json"), "second, longer");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(FileReplacement, AWriteCutShortKeepsTheOldFile) {
    test::TemporaryDirectory folder;
    replaceFile(folder / "a.json", "old");
    // A file size limit makes the write fail the way a full disk does.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tiny);
    EXPECT_THROW(replaceFile(folder / "a.json", "much longer than four bytes"), std::system_error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(test::readFile(folder / "a.json"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(FileReplacement, AMissingFolderNamesThePath) {
    test::TemporaryDirectory folder;
    const auto error = test::thrown<std::system_error>([&] { replaceFile(folder / "missing/a.json", "x"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code().value(), ENOENT);
    EXPECT_NE(std::string(error->what()).find((folder / "missing/a.json").string()), std::string::npos);
}

}  // namespace
}  // namespace knockbox
