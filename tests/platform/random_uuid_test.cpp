#include "platform/random_uuid.h"

#include <gtest/gtest.h>

#include <regex>

namespace knockbox {
namespace {

TEST(RandomUUID, VersionFourUpperCaseAndFresh) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    const std::string first = randomUUID();
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_NE(randomUUID(), first);
}

}  // namespace
}  // namespace knockbox
