// The program as `cmake --install` stages it and as its Debian package
// installs it: the desktop files pass their validators, the installed program
// finds its kit under the prefix, and an ordinary user's calibration is kept
// in that user's data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
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

// Its self-test passes with the kit found under the prefix.
void expectSelfTestPasses(const fs::path& prefix) {
    const ProcessResult selfTest = runInstalled(prefix, {"--self-test"});
    EXPECT_EQ(selfTest.exitStatus, 0) << selfTest.err;
    const std::string kit = "OK · sample · Live: 48 nagrań wczytanych z " + (prefix / "share/knockbox/Kits/Live").string();
    EXPECT_NE(selfTest.err.find(kit + "\n"), std::string::npos) << selfTest.err;
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
    expectSelfTestPasses(stage / "usr");

    // A firm-tap calibration as a user with nothing but a home folder: the
    // profile and its journal go to that user's data folder, nothing beside
    // the program.
    const fs::path home = stage / "home";
    fs::create_directories(home);
    fs::permissions(home, fs::perms::all);
    const fs::path recording = stage / "calibration.csv";
    std::ofstream(recording) << recordingText(simulation::render(
        simulation::calibrationScene({simulation::CalibrationKind::strong, 0.37, 0.1, false, false, 0}, 1)));
    const ProcessResult calibration =
        runInstalled(stage / "usr", {"--replay", recording.string(), "--calibrate-strong", "--mute"},
                     {.environment = {{"HOME", home.string()}, {"XDG_DATA_HOME", {}}, {"KNOCKBOX_SIDE_PROFILE", {}}}});
    EXPECT_EQ(calibration.exitStatus, 0) << calibration.err;
    const fs::path data = home / ".local/share/Knockbox";
    EXPECT_TRUE(fs::is_regular_file(data / "side-profile.json")) << calibration.err;
    const fs::path journals = data / "recordings/calibration";
    EXPECT_TRUE(fs::is_directory(journals) && !fs::is_empty(journals));
    EXPECT_FALSE(fs::exists(stage / "usr/.knockbox-side-profile.json"));
}

// The names in a Depends field: "libc6 (>= 2.35), libgcc-s1 (>= 3.0)".
std::set<std::string> packageNames(const std::string& depends) {
    std::set<std::string> names;
    const std::regex name(R"((?:^|, )([^ ,(]+))");
    for (auto match = std::sregex_iterator(depends.begin(), depends.end(), name); match != std::sregex_iterator(); ++match)
        names.insert((*match)[1]);
    return names;
}

// The packages that hold a file of this name: `dpkg --search` writes
// "libc6:amd64: /lib/x86_64-linux-gnu/libm.so.6" and "libc6-i386: /lib32/libm.so.6".
std::vector<std::string> owners(const std::string& file) {
    std::vector<std::string> packages;
    for (const std::string& line : test::linesOf(run("/usr/bin/dpkg", {"--search", "*/" + file}).out))
        packages.push_back(line.substr(0, line.find_first_of(":,")));
    return packages;
}

TEST(Package, DebianPackageDependsOnWhatItLinksAndItsInstalledCopyRuns) {
    TemporaryDirectory folder;
    const ProcessResult pack = run(CPACK_COMMAND, {"-G", "DEB", "--config", KNOCKBOX_BINARY_DIR "/CPackConfig.cmake",
                                                   "-B", folder.path().string()});
    ASSERT_EQ(pack.exitStatus, 0) << pack.out << pack.err;
    fs::path package;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path().extension() == ".deb") package = entry.path();
    ASSERT_FALSE(package.empty()) << pack.out;
    ASSERT_EQ(run("/usr/bin/dpkg-deb", {"--extract", package.string(), (folder / "root").string()}).exitStatus, 0);
    const fs::path usr = folder / "root/usr";

    // Each shared library the program needs comes from a package it depends on.
    const std::set<std::string> depends =
        packageNames(run("/usr/bin/dpkg-deb", {"--field", package.string(), "Depends"}).out);
    const std::string dynamic = run("/usr/bin/readelf", {"--dynamic", (usr / "bin/knockbox").string()}).out;
    const std::regex needed(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
    int libraries = 0;
    for (auto match = std::sregex_iterator(dynamic.begin(), dynamic.end(), needed); match != std::sregex_iterator();
         ++match, ++libraries) {
        const std::vector<std::string> from = owners((*match)[1]);
        EXPECT_TRUE(std::any_of(from.begin(), from.end(), [&](const std::string& name) { return depends.contains(name); }))
            << (*match)[1] << " is in none of the package's dependencies";
    }
    EXPECT_GE(libraries, 5) << dynamic;
    // All of them are installed here: apt would install the package alone.
    const auto simulated = test::linesOf(
        run("/usr/bin/apt-get", {"install", "--simulate", "--no-install-recommends", package.string()}).out);
    std::vector<std::string> installs;
    std::copy_if(simulated.begin(), simulated.end(), std::back_inserter(installs),
                 [](const std::string& line) { return line.starts_with("Inst "); });
    ASSERT_EQ(installs.size(), 1u) << testing::PrintToString(simulated);
    EXPECT_TRUE(installs[0].starts_with("Inst knockbox ")) << installs[0];

    expectSelfTestPasses(usr);
}

}  // namespace
}  // namespace knockbox
