#include "core/line_text.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

TEST(LineText, ControlCharactersShowAndLongTextIsCut) {
    const std::pair<std::string, std::string> cases[] = {
        {"Mac14,2", "Mac14,2"},
        {"a\nL  kick\r\tb", "a\\nL  kick\\r\\tb"},
        {"\x1b[2J\a\x7f", "\\x1b[2J\\x07\\x7f"},
        {"\xc2\x85 \xe2\x80\xa8 \xe2\x80\xae", "\\u0085 \\u2028 \\u202e"},  // next line, line separator, right-to-left
        {"zażółć \xff", "zażółć \xef\xbf\xbd"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(outsideText(text), shown) << text;
        EXPECT_EQ(visibleControls(shown), shown) << "applied twice";
    }
    EXPECT_EQ(outsideText("ąbcdef", 3), "ąbc…");
    EXPECT_EQ(outsideText(std::string(1 << 20, 'x')).size(), outsideTextLimit + std::string("…").size());
    EXPECT_EQ(visibleControls(std::string(1000, 'x')).size(), 1000u);
    EXPECT_EQ(pathText(""), "\"\"");
}

}  // namespace
}  // namespace knockbox
