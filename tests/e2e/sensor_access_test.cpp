// knockbox-helper, as the app starts it, on stand-ins of the Mac's
// administrator prompt and sudo (stand-ins/) in a scratch root, as an
// unprivileged user, playing the simulated sensor.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "protocol/player_lines.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

// Granted once, it plays without asking; revoked (the rule gone) it asks
// again, and declined it says so and plays nothing; granted again over a copy
// that was changed, it installs the copy anew and plays.
TEST(SensorAccess, TheHelperAsksOnceAndPlaysThroughTheInstalledCopy) {
    test::TemporaryDirectory folder;
    // The app as it ships: the player, and beside it what the helper needs.
    const fs::path app = folder / "app", helper = app / "sensor-access/knockbox-helper";
    fs::create_directories(app / "sensor-access");
    fs::copy_file(KNOCKBOX_EXECUTABLE, app / "knockbox");
    fs::copy_file(KNOCKBOX_HELPER, helper);
    fs::copy_file(KNOCKBOX_SENSOR_PROGRAM, app / "sensor-access/knockbox-sensor");
    // The scratch root belongs to the user the helper runs as, as / belongs to root.
    const fs::path root = folder / "root";
    fs::create_directories(root / "usr/bin");
    for (const char* standIn : {"sudo", "osascript"})
        fs::copy_file(fs::path(KNOCKBOX_SOURCE_DIR "/tests/e2e/stand-ins") / standIn, root / "usr/bin" / standIn);
    fs::permissions(root, fs::perms(0755));
    const uid_t user = ::geteuid() == 0 ? getpwnam("nobody")->pw_uid : ::getuid();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(root.c_str(), user, getgrnam("nogroup")->gr_gid), 0);
    }
    test::writeRecording(folder / "quiet.csv", *simulation::scenario("quiet", 1, 2));

    const fs::path installed = root / "Library/PrivilegedHelperTools/io.github.knockbox.sensor";
    const fs::path rule = root / "etc/sudoers.d" / ("knockbox-" + std::to_string(user));
    auto play = [&](const char* answer) {
        const test::Command command = test::asUnprivilegedUser(
            helper.string(),
            {.arguments = {"--mute", "--no-side-profile", "--duration", "1", "--direct-sensor"},
             .environment = {{"KNOCKBOX_STAND_IN_ROOT", root.string()},
                             {"KNOCKBOX_SIMULATED_SPU", (folder / "quiet.csv").string()},
                             {"KNOCKBOX_TEST_PROMPT", answer}}},
            test::Placement::inPlace);
        return test::ChildProcess(command.executable, command.setup).wait(30);
    };
    auto prompts = [&] { return test::linesOf(test::readFile(root / "prompts")).size(); };
    auto played = [](const test::ProcessResult& result) {
        return result.exitStatus == 0 && result.err.find("\nSensor: ") != std::string::npos;
    };
    const std::string sensorRan = installed.string() + " --sensor-stream\n";

    auto result = play("grant");
    EXPECT_TRUE(played(result)) << result.err;
    EXPECT_TRUE(result.err.starts_with(std::string(lines::sensorAccessAsked) + "\n")) << result.err;
    EXPECT_EQ(test::readFile(installed), test::readFile(KNOCKBOX_SENSOR_PROGRAM));
    EXPECT_EQ(fs::status(rule).permissions(), fs::perms::owner_read | fs::perms::group_read);
    result = play("decline");  // never asked
    EXPECT_TRUE(played(result)) << result.err;
    EXPECT_EQ(prompts(), 1u);
    EXPECT_EQ(test::readFile(root / "sudo-ran"), sensorRan + sensorRan);

    fs::remove(rule);
    result = play("decline");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(test::linesOf(result.err),
              (std::vector<std::string>{std::string(lines::sensorAccessAsked), lines::error(lines::sensorAccessDeclined)}));

    std::ofstream(installed, std::ios::app) << "changed";
    result = play("grant");
    EXPECT_TRUE(played(result)) << result.err;
    EXPECT_EQ(prompts(), 3u);
    EXPECT_EQ(test::readFile(installed), test::readFile(KNOCKBOX_SENSOR_PROGRAM));
}

}  // namespace
}  // namespace knockbox
