#include "player/process_values.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::TemporaryDirectory;

void write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

// The environment variable, then the app bundle's support folder, then the
// folder above a bare executable's own; the light profile lies beside.
TEST(ProfileLocations, EnvironmentVariableThenAppBundleThenTheFolderAboveTheProgram) {
    ProfileLocationInputs inputs{"/x/p.json", true, "build/knockbox", "/work", "/support/Knockbox", {}};
    EXPECT_EQ(sideProfileLocation(inputs), fs::path("/x/p.json"));
    EXPECT_EQ(lightProfileLocation("/x/p.json"), fs::path("/x/light-side-profile.json"));
    EXPECT_EQ(lightProfileLocation("/x/.p.json"), fs::path("/x/.knockbox-light-side-profile.json"));
    inputs = {nullptr, true, "/A/Knockbox.app/Contents/MacOS/knockbox", "/", "/s/Knockbox", {}};
    EXPECT_EQ(sideProfileLocation(inputs), fs::path("/s/Knockbox/side-profile.json"));

    TemporaryDirectory root;
    fs::create_directories(root / "repo/build");
    const fs::path expected = root.path() / "repo/.knockbox-side-profile.json";
    inputs = {nullptr, false, "./build/../build/./knockbox", root / "repo", "/unused", {}};
    EXPECT_EQ(sideProfileLocation(inputs), expected);
    inputs = {nullptr, false, root / "repo/build/knockbox", "/elsewhere", "/unused", {}};
    EXPECT_EQ(sideProfileLocation(inputs), expected);
}

TEST(ProfileLocations, LegacyProfilesAreCopiedOnceInOrder) {
    TemporaryDirectory root;
    fs::create_directories(root / "build");
    write(root / ".pendrel-side-profile.json", "pendrel side");
    write(root / ".vexbeat-side-profile.json", "vexbeat side");
    write(root / ".vexbeat-light-side-profile.json", "vexbeat light");
    ProfileLocationInputs inputs{nullptr, false, root / "build/knockbox", "/", "/unused", {}};
    sideProfileLocation(inputs);
    // The first legacy name found wins; the later one finds the file present.
    EXPECT_EQ(test::readFile(root / ".knockbox-side-profile.json"), "pendrel side");
    EXPECT_EQ(test::readFile(root / ".knockbox-light-side-profile.json"), "vexbeat light");

    // An existing current profile is never overwritten.
    write(root / ".knockbox-side-profile.json", "mine");
    sideProfileLocation(inputs);
    EXPECT_EQ(test::readFile(root / ".knockbox-side-profile.json"), "mine");

    // Without legacy files nothing is copied.
    TemporaryDirectory empty;
    sideProfileLocation({nullptr, false, empty / "build/knockbox", "/", "/unused", {}});
    EXPECT_TRUE(fs::is_empty(empty.path()));
}

TEST(ProfileLocations, AFolderThatCannotBeReadIsNoFailure) {
    // The program may run from a folder its user cannot look into (here a
    // symbolic link loop, which fails even for root); the location is still
    // known and nothing is copied.
    TemporaryDirectory root;
    fs::create_symlink("loop", root / "loop");
    ProfileLocationInputs inputs{nullptr, false, root / "loop/build/knockbox", "/", "/unused", {}};
    EXPECT_EQ(sideProfileLocation(inputs), root.path() / "loop/.knockbox-side-profile.json");
}

}  // namespace
}  // namespace knockbox
