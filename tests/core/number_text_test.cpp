#include "core/number_text.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

// (The shortest forms that read back exactly: the app's settings and
// arguments in tests/app, the demo's lines in tests/e2e.)
TEST(NumberText, AcceptsOnlyWholeFiniteDecimals) {
    EXPECT_EQ(parseNumber("0.05"), 0.05);
    EXPECT_EQ(parseNumber("-2"), -2.0);
    EXPECT_EQ(parseNumber("+2.5"), 2.5);
    EXPECT_EQ(parseNumber("1e-3"), 0.001);
    EXPECT_EQ(parseNumber(".5"), 0.5);
    for (const char* bad : {"", "+", "-", "nan", "NaN", "inf", "-infinity", "1e999", "0x10", "1,5",
                            " 1", "1 ", "1.0.0", "++1", "+-1", "1e", "abc"})
        EXPECT_FALSE(parseNumber(bad)) << bad;
}

}  // namespace
}  // namespace knockbox
