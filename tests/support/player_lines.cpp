#include "support/player_lines.h"

#include <gtest/gtest.h>

#include <regex>

namespace knockbox::test {

void expectDefaultReadyLines(const std::vector<std::string>& lines, std::size_t at, double rateTolerance) {
    ASSERT_GT(lines.size(), at + 1);
    std::smatch ready;
    ASSERT_TRUE(std::regex_match(lines[at], ready,
                                 std::regex("GOTOWE · (\\d+) Hz · próg 0.050 g · mocne 0.160 g · cooldown 120 ms")))
        << lines[at];
    EXPECT_NEAR(std::stod(ready[1]), 800, rateTolerance);
    EXPECT_EQ(lines[at + 1], "L: kick/tom  |  R: hi-hat/snare  |  Ctrl-C: koniec");
}

}  // namespace knockbox::test
