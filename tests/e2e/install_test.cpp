// The program as `cmake --install` stages it and as its Debian package
// installs it: the desktop files pass their validators, the installed program
// finds its kit under the prefix, and an ordinary user's calibration is kept
// in that user's data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::ProcessResult;
using test::ProcessSetup;
using test::TemporaryDirectory;

ProcessResult run(const std::string& program, std::vector<std::string> arguments, ProcessSetup setup = {}) {
    setup.arguments = std::move(arguments);
    return ChildProcess(program, setup).wait(120);
}

// As an ordinary user, from where it was installed.
ProcessResult runInstalled(const fs::path& prefix, std::vector<std::string> arguments, ProcessSetup setup = {}) {
    setup.arguments = std::move(arguments);
    const test::Command command =
        test::asUnprivilegedUser((prefix / "bin/knockbox").string(), std::move(setup), test::Placement::inPlace);
    return ChildProcess(command.executable, command.setup).wait(120);
}

void expectSelfTestPassesWithTheKitUnder(const fs::path& prefix) {
    const ProcessResult selfTest = runInstalled(prefix, {"--self-test"});
    EXPECT_EQ(selfTest.exitStatus, 0) << selfTest.err;
    const fs::path kit = prefix / "share/knockbox/Kits/Live";
    EXPECT_NE(selfTest.err.find("OK · sample · Live: 48 nagrań wczytanych z " + kit.string() + "\n"), std::string::npos)
        << selfTest.err;
}

TEST(Install, StagedProgramValidatesRunsAndKeepsAUsersProfilesInTheirDataFolder) {
    TemporaryDirectory stage;
    const ProcessResult install = run(CMAKE_COMMAND, {"--install", KNOCKBOX_BINARY_DIR, "--prefix", "/usr"},
                                      {.environment = {{"DESTDIR", stage.path().string()}}});
    ASSERT_EQ(install.exitStatus, 0) << install.err;
    const fs::path share = stage / "usr/share";
    const ProcessResult entry =
        run("/usr/bin/desktop-file-validate", {(share / "applications/io.github.knockbox.Knockbox.desktop").string()});
    EXPECT_EQ(entry.exitStatus, 0) << entry.out << entry.err;
    const ProcessResult metainfo = run("/usr/bin/appstreamcli", {"validate", "--no-net",
                                       (share / "metainfo/io.github.knockbox.Knockbox.metainfo.xml").string()});
    EXPECT_EQ(metainfo.exitStatus, 0) << metainfo.out << metainfo.err;
    for (const char* file : {"icons/hicolor/scalable/apps/io.github.knockbox.Knockbox.svg", "doc/knockbox/README.md",
                             "doc/knockbox/THIRD_PARTY_NOTICES.md"})
        EXPECT_TRUE(fs::is_regular_file(share / file)) << file;
    expectSelfTestPassesWithTheKitUnder(stage / "usr");

    // A firm-tap calibration by a user with nothing but a home folder: the
    // profile and its journal go to that user's data folder, nothing beside
    // the program.
    const fs::path home = stage / "home";
    fs::create_directories(home);
    fs::permissions(home, fs::perms::all);
    const fs::path recording = stage / "calibration.csv";
    test::writeRecording(recording,
                         simulation::calibrationScene({simulation::CalibrationKind::strong, 0.37, 0.1, false, false, 0}, 1));
    const ProcessResult calibration =
        runInstalled(stage / "usr", {"--replay", recording.string(), "--calibrate-strong", "--mute"},
                     {.environment = {{"HOME", home.string()}, {"XDG_DATA_HOME", {}}, {"KNOCKBOX_SIDE_PROFILE", {}}}});
    EXPECT_EQ(calibration.exitStatus, 0) << calibration.err;
    const fs::path data = home / ".local/share/Knockbox";
    EXPECT_TRUE(fs::is_regular_file(data / "side-profile.json")) << calibration.err;
    EXPECT_TRUE(fs::is_directory(data / "recordings/calibration") && !fs::is_empty(data / "recordings/calibration"));
    EXPECT_FALSE(fs::exists(stage / "usr/.knockbox-side-profile.json"));
}

// Names each shared library the program ($2) needs that comes from none of
// the packages the package ($1) depends on.
constexpr const char* librariesOutsideDepends = R"(set -e
depends=$(dpkg-deb --field "$1" Depends | tr , '\n' | awk '{print $1}')
libraries=$(readelf --dynamic "$2" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')
test -n "$libraries"
for library in $libraries; do
  dpkg --search "*/$library" | cut -d: -f1 | grep -qxF "$depends" || echo "$library"
done)";

TEST(Package, DebianPackageDependsOnWhatItLinksAndItsInstalledCopyRuns) {
    TemporaryDirectory folder;
    const ProcessResult pack = run(CPACK_COMMAND, {"-G", "DEB", "-D", "CPACK_DEBIAN_FILE_NAME=knockbox.deb", "--config",
                                                   KNOCKBOX_BINARY_DIR "/CPackConfig.cmake", "-B", folder.path().string()});
    ASSERT_EQ(pack.exitStatus, 0) << pack.out << pack.err;
    const std::string package = (folder / "knockbox.deb").string();
    ASSERT_EQ(run("/usr/bin/dpkg-deb", {"--extract", package, (folder / "root").string()}).exitStatus, 0);

    const ProcessResult outside =
        run("/bin/bash", {"-c", librariesOutsideDepends, "-", package, (folder / "root/usr/bin/knockbox").string()});
    EXPECT_EQ(outside.exitStatus, 0) << outside.err;
    EXPECT_EQ(outside.out, "");
    // Every dependency is installed here: apt would install the package alone.
    const ProcessResult installs = run(
        "/bin/sh", {"-c", "apt-get install --simulate --no-install-recommends \"$1\" | grep '^Inst '", "-", package});
    EXPECT_TRUE(installs.out.starts_with("Inst knockbox ") && std::count(installs.out.begin(), installs.out.end(), '\n') == 1)
        << installs.out << installs.err;

    expectSelfTestPassesWithTheKitUnder(folder / "root/usr");
}

}  // namespace
}  // namespace knockbox
