#include "core/small_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/json_nesting.h"
#include "support/child_process.h"
#include "support/thrown.h"

namespace knockbox {
namespace {

// Which paths are refused without waiting: blocking_paths_test.
TEST(SmallFile, ReadsOneMebibyteAtMostAndNoDevice) {
    test::TemporaryDirectory folder;
    std::ofstream(folder / "full") << std::string(smallFileLimit, 'x');
    EXPECT_EQ(readSmallFile(folder / "full").size(), smallFileLimit);
    std::ofstream(folder / "full", std::ios::app) << 'x';
    EXPECT_STREQ(test::thrown<std::system_error>([&] { readSmallFile(folder / "full"); })->what(),
                 ((folder / "full").string() + ": plik większy niż 1 MiB").c_str());
    EXPECT_STREQ(test::thrown<std::system_error>([&] { readSmallFile("/dev/zero"); })->what(),
                 "/dev/zero: to nie jest zwykły plik");
}

TEST(JsonNesting, CountsBracketsOutsideStringsOnly) {
    for (const auto& [text, depth] : {std::pair<std::string, int>{R"({"a": [[1], {}]})", 3},
                                      {R"(["[[[", "\"[["])", 1}, {R"([{"a\\": "]]["}])", 2}}) {
        EXPECT_TRUE(jsonNestingWithin(text, depth)) << text;
        EXPECT_FALSE(jsonNestingWithin(text, depth - 1)) << text;
    }
}

}  // namespace
}  // namespace knockbox
