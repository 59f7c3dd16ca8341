#include "platform/hardware_model.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

TEST(HardwareModel, TextEndsAtTheFirstZeroAndReplacesInvalidUtf8) {
    using namespace std::string_literals;
    EXPECT_EQ(modelText("Mac14,2\0junk\0"s), "Mac14,2");
    EXPECT_EQ(modelText(""), "");
    EXPECT_EQ(modelText("Zażółć"), "Zażółć");
    EXPECT_EQ(modelText("a\xff" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(modelText("\xC3"), "\xEF\xBF\xBD");            // cut short
    EXPECT_EQ(modelText("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
    EXPECT_EQ(modelText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
}

}  // namespace
}  // namespace knockbox
