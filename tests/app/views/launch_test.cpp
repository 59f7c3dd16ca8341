// The executable in the mode "ui": it needs a display, and it ends on
// SIGTERM like any of its modes.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

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

#ifndef __APPLE__
// The process catches SIGTERM (the "SigCgt" mask of /proc/<pid>/status).
bool catchesSigterm(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (!line.starts_with("SigCgt:")) continue;
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> (SIGTERM - 1)) & 1;
    }
    return false;
}
#endif

TEST(AppLaunch, SigtermEndsTheAppCleanly) {
#ifdef __APPLE__
    GTEST_SKIP() << "reads /proc";
#else
    test::TemporaryDirectory home;
    test::ChildProcess app(KNOCKBOX_EXECUTABLE,
                           ProcessSetup{.arguments = {"--ui"},
                                        .environment = {{"QT_QPA_PLATFORM", "offscreen"},
                                                        {"HOME", home.path().string()},
                                                        {"XDG_CONFIG_HOME", (home / "config").string()},
                                                        {"XDG_DATA_HOME", (home / "data").string()}}});
    for (int attempt = 0; attempt < 6000 && !catchesSigterm(app.pid()); ++attempt) ::usleep(10000);
    app.sendSignal(SIGTERM);
    const test::ProcessResult result = app.wait(60);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
#endif
}

}  // namespace
}  // namespace knockbox
