// The typing guard's cache and window, with a scripted clock and key-down source.
#include "player/typing_guard.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

struct Script {
    double now = 100;
    double combined = 1e9;  // seconds since the last key-down, per state
    double hid = 1e9;
    int queries = 0;

    TypingGuard guard() {
        return TypingGuard(
            [this](KeyEventSourceState state) {
                ++queries;
                return state == KeyEventSourceState::combinedSession ? combined : hid;
            },
            [this] { return now; });
    }
};

TEST(TypingGuard, AKeyDownInsideTheWindowIsActive) {
    Script script;
    TypingGuard guard = script.guard();
    script.combined = 0.44;
    EXPECT_TRUE(guard.active(0.45));  // the first call always asks
    EXPECT_EQ(script.queries, 2);     // both source states

    script.now += 0.02;
    script.combined = 0.46;
    EXPECT_FALSE(guard.active(0.45));

    // The smaller of the two states counts.
    script.now += 0.02;
    script.hid = 0.1;
    EXPECT_TRUE(guard.active(0.45));
    script.now += 0.02;
    script.hid = 0.45;  // exactly the window is no longer inside it
    EXPECT_FALSE(guard.active(0.45));
}

TEST(TypingGuard, AnswersWithin10MillisecondsComeFromTheCache) {
    Script script;
    TypingGuard guard = script.guard();
    EXPECT_FALSE(guard.active(0.45));
    script.combined = 0.001;  // a key goes down 5 ms later...
    script.now += 0.005;
    EXPECT_FALSE(guard.active(0.45));  // ...but the cached answer stands
    EXPECT_EQ(script.queries, 2);
    script.now += 0.006;  // 11 ms after the query
    EXPECT_TRUE(guard.active(0.45));
    EXPECT_EQ(script.queries, 4);
}

TEST(TypingGuard, WithoutAWindowServerNoKeyIsEverDown) {
    TypingGuard guard;  // the platform's source and clock
    EXPECT_FALSE(guard.active(0.45));
}

}  // namespace
}  // namespace knockbox
