// The executable in the mode "ui" needs a display. (It ends on SIGTERM like
// any of its modes: blocking_paths_test.)
#include <gtest/gtest.h>

#include "support/child_process.h"

namespace knockbox {
namespace {

using test::ProcessSetup;

TEST(AppLaunch, WithoutADisplayItSaysSoInsteadOfCrashing) {
#ifdef __APPLE__
    GTEST_SKIP() << "a Mac always has its window server";
#endif
    const test::ProcessResult result = test::runKnockbox(
        {"--ui"}, ProcessSetup{.environment = {{"DISPLAY", std::nullopt},
                                               {"WAYLAND_DISPLAY", std::nullopt},
                                               {"QT_QPA_PLATFORM", std::nullopt}}});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: Okno konfiguracji potrzebuje ekranu: nie ustawiono DISPLAY ani WAYLAND_DISPLAY.\n");
}

}  // namespace
}  // namespace knockbox
