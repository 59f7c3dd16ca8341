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

// The smaller of the two source states counts, strictly inside the window;
// answers within 10 ms of a query come from the cache.
TEST(TypingGuard, AKeyDownInsideTheWindowIsActiveAndAnswersAreCachedFor10Milliseconds) {
    Script script;
    TypingGuard guard = script.guard();
    script.combined = 0.44;
    EXPECT_TRUE(guard.active(0.45));  // the first call always asks
    EXPECT_EQ(script.queries, 2);     // both source states
    script.now += 0.02;
    script.combined = 0.46;
    EXPECT_FALSE(guard.active(0.45));
    script.now += 0.02;
    script.hid = 0.1;
    EXPECT_TRUE(guard.active(0.45));
    script.now += 0.02;
    script.hid = 0.45;  // exactly the window is no longer inside it
    EXPECT_FALSE(guard.active(0.45));
    EXPECT_EQ(script.queries, 8);

    script.hid = 0.001;  // a key goes down 5 ms after the query...
    script.now += 0.005;
    EXPECT_FALSE(guard.active(0.45));  // ...but the cached answer stands
    EXPECT_EQ(script.queries, 8);
    script.now += 0.006;  // 11 ms after the query
    EXPECT_TRUE(guard.active(0.45));
    EXPECT_EQ(script.queries, 10);
}

}  // namespace
}  // namespace knockbox
