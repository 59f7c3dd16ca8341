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

// Whole or not at all, and nothing left beside: a write cut short by a file
// size limit (as by a full disk) keeps the old file; a missing folder is named.
TEST(FileReplacement, ReplacesWholeOrNotAtAll) {
    test::TemporaryDirectory folder;
    replaceFile(folder / "a.json", "first, longer");
    replaceFile(folder / "a.json", "old");
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
    EXPECT_STREQ(test::thrown<std::system_error>([&] { replaceFile(folder / "missing/a.json", "x"); })->what(),
                 ((folder / "missing/a.json").string() + ": No such file or directory").c_str());
}

}  // namespace
}  // namespace knockbox
