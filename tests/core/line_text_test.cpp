#include "core/line_text.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

// What a profile's model and an argument show end to end: side_profile_replay_test, command_line_test.
TEST(LineText, EveryControlCharacterShowsAndLongTextIsCut) {
    // C0, DEL, next line, line separator, right-to-left override, invalid UTF-8.
    const std::string shown = outsideText("a\nb\r\t\x1b\a\x7f \xc2\x85\xe2\x80\xa8\xe2\x80\xae zażółć \xff");
    EXPECT_EQ(shown, "a\\nb\\r\\t\\x1b\\x07\\x7f \\u0085\\u2028\\u202e zażółć \xef\xbf\xbd");
    EXPECT_EQ(visibleControls(shown), shown);
    EXPECT_EQ(outsideText("ąbcdef", 3), "ąbc…");
    EXPECT_EQ(pathText(""), "\"\"");
}

}  // namespace
}  // namespace knockbox
