#include "core/small_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "core/json_nesting.h"
#include "support/child_process.h"
#include "support/thrown.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

// Never waits (a FIFO without a writer), never reads what is no regular
// file, never more than 1 MiB.
TEST(SmallFile, ReadsOnlyARegularFileUpToOneMebibyte) {
    test::TemporaryDirectory folder;
    std::ofstream(folder / "full") << std::string(smallFileLimit, 'x');
    EXPECT_EQ(readSmallFile(folder / "full").size(), smallFileLimit);
    std::ofstream(folder / "over") << std::string(smallFileLimit + 1, 'x');
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const std::pair<fs::path, std::string> refused[] = {
        {folder / "over", "plik większy niż 1 MiB"},
        {folder / "fifo", "to nie jest zwykły plik"},
        {"/dev/zero", "to nie jest zwykły plik"},
        {folder.path(), "Is a directory"},
        {folder / "none", "No such file or directory"},
    };
    for (const auto& [path, reason] : refused)
        EXPECT_EQ(test::thrown<std::system_error>([&] { readSmallFile(path); })->what(), path.string() + ": " + reason);
}

TEST(JsonNesting, CountsBracketsOutsideStrings) {
    const std::pair<std::string, int> cases[] = {
        {"[]", 1}, {R"({"a": [[1], {}]})", 3}, {R"(["[[[", "\"[["])", 1}, {R"([{"a\\": "]]["}])", 2},
    };
    for (const auto& [text, depth] : cases) {
        EXPECT_TRUE(jsonNestingWithin(text, depth)) << text;
        EXPECT_FALSE(jsonNestingWithin(text, depth - 1)) << text;
    }
    EXPECT_FALSE(jsonNestingWithin(std::string(1 << 20, '[')));
}

}  // namespace
}  // namespace knockbox
