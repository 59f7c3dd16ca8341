// The program finds itself by its real file, however it was started: through
// PATH from another folder, or through a symbolic link. Its recorded kit and
// its sensor process come from there, never from the current folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::TemporaryDirectory;

// Started from a folder that holds an impostor (a file named like the
// program, which must never run): through PATH (argument 0 is then the bare
// name), through a symbolic link, or as a copy in a build folder elsewhere
// (which links the kit in, as every build folder does), each exports its own
// kit (a live export fails without every recording); and live play starts
// the sensor process from the program's own file.
TEST(ProgramLocation, StartedThroughPathALinkOrFromAnotherBuildFolderItFindsItsOwnFiles) {
    TemporaryDirectory folder;
    const fs::path impostor = folder / "knockbox";
    test::writeFile(impostor, "#!/bin/sh\ntouch \"$0.ran\"\nexit 3\n");
    fs::permissions(impostor, fs::perms::all);
    fs::create_directories(folder / "bin");
    fs::create_symlink(KNOCKBOX_EXECUTABLE, folder / "bin/drums");
    fs::create_directories(folder / "build");
    fs::copy_file(KNOCKBOX_EXECUTABLE, folder / "build/knockbox");
    fs::copy_symlink(KNOCKBOX_BINARY_DIR "/Kits", folder / "build/Kits");
    const std::pair<std::string, std::optional<std::string>> starts[] = {{KNOCKBOX_EXECUTABLE, "knockbox"},
                                                                         {(folder / "bin/drums").string(), {}},
                                                                         {(folder / "build/knockbox").string(), {}}};
    for (const auto& [executable, argument0] : starts) {
        const auto result = ChildProcess(executable, {.arguments = {"--export-samples", "out", "--kit", "live"},
                                                      .workingDirectory = folder.path(),
                                                      .argument0 = argument0})
                                .wait();
        EXPECT_EQ(result.exitStatus, 0) << result.err;
    }
#ifndef __APPLE__
    test::writeRecording(folder / "quiet.csv", *simulation::scenario("quiet", 1, 3));
    // The program as a shell finds it on PATH.
    const test::Command program = test::asUnprivilegedUser(KNOCKBOX_EXECUTABLE);
    const fs::path copy = program.setup.arguments.empty() ? fs::path(program.executable)
                                                          : fs::path(program.setup.arguments.back());
    const test::Command shell = test::asUnprivilegedUser(
        "/bin/sh", {.arguments = {"-c", "exec knockbox --direct-sensor --mute --duration 1"},
                    .environment = {{"PATH", copy.parent_path().string() + ":/usr/bin:/bin"},
                                    {"KNOCKBOX_SIMULATED_SPU", (folder / "quiet.csv").string()}},
                    .workingDirectory = folder.path()});
    const auto result = ChildProcess(shell.executable, shell.setup).wait(20);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("\nSensor: "), std::string::npos) << result.err;
#endif
    EXPECT_FALSE(fs::exists(impostor.string() + ".ran"));
}

// A copy of the program without the recorded kit beside it still plays
// (studio sounds stand in), and says once where it looked. Plays sound, so
// the suite name puts it in line for the test sound server.
TEST(AudibleLiveKit, ACopyWithoutItsKitSaysOnceWhereItLooked) {
    TemporaryDirectory folder;
    fs::create_directories(folder / "bin");
    fs::copy_file(KNOCKBOX_EXECUTABLE, folder / "bin/knockbox");
    test::writeRecording(folder / "quiet.csv", *simulation::scenario("quiet", 1, 0.3));
    const auto result =
        ChildProcess((folder / "bin/knockbox").string(),
                     {.arguments = {"--replay", (folder / "quiet.csv").string(), "--kit", "live"}})
            .wait();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string line = "Zestaw Live: nie wczytano 48 z 48 nagrań z " + (folder / "Kits/Live").string() +
                             "; zamiast nich gra zestaw Studio.\n";
    EXPECT_TRUE(result.err.starts_with(line)) << result.err;
    EXPECT_EQ(result.err.find(line, 1), std::string::npos);
}

// Profiles of the program's earlier names beside a copy of it are migrated
// by a run that loads profiles, as its user, and by no other mode.
TEST(ProgramLocation, OnlyARunThatLoadsProfilesMigratesOldOnes) {
    TemporaryDirectory folder;
    fs::create_directories(folder / "bin");
    const std::string copy = (folder / "bin/knockbox").string();
    fs::copy_file(KNOCKBOX_EXECUTABLE, copy);
    test::writeFile(folder / ".vexbeat-side-profile.json", "old");
    test::writeRecording(folder / "quiet.csv", *simulation::scenario("quiet", 1, 0.3));
    const std::vector<std::string> replay{"--replay", (folder / "quiet.csv").string(), "--mute"};
    const fs::path migrated = folder / ".knockbox-side-profile.json";
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--help"}, {"--self-test"}, replay}) {
        // The replay runs as root here when the tests do: root leaves the user's folder alone.
        ChildProcess(copy, {.arguments = arguments}).wait();
        EXPECT_EQ(fs::exists(migrated), arguments == replay && ::geteuid() != 0) << arguments[0];
    }
    const test::Command asUser = test::asUnprivilegedUser(copy, {.arguments = replay}, test::Placement::inPlace);
    ChildProcess(asUser.executable, asUser.setup).wait();
    EXPECT_EQ(test::readFile(migrated), "old");
}

}  // namespace
}  // namespace knockbox
