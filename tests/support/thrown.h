#pragma once
// The error an action throws, for tests that check which error and its text.

#include <gtest/gtest.h>

#include <optional>

namespace knockbox::test {

// What `action` throws as an `Error`; nothing, and a test failure, when it
// returns instead. Another exception fails the test as it propagates.
template <typename Error, typename Action>
std::optional<Error> thrown(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "nothing was thrown";
    return std::nullopt;
}

}  // namespace knockbox::test
