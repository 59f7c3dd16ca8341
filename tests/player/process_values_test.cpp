#include "player/process_values.h"

#include <gtest/gtest.h>


#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::TemporaryDirectory;

// The environment variable, then the app bundle's support folder, then the
// folder above a bare executable's own; the light profile lies beside.
TEST(ProfileLocations, EnvironmentVariableThenAppBundleThenTheFolderAboveTheProgram) {
    ProfileLocationInputs inputs{"/x/p.json", true, "build/knockbox", "/work", "/support/Knockbox", {}};
    EXPECT_EQ(sideProfileLocation(inputs), fs::path("/x/p.json"));
    EXPECT_EQ(lightProfileLocation("/x/p.json"), fs::path("/x/light-side-profile.json"));
    EXPECT_EQ(lightProfileLocation("/x/.p.json"), fs::path("/x/.knockbox-light-side-profile.json"));
    EXPECT_EQ(lightProfileLocation(""), fs::path());  // an empty KNOCKBOX_SIDE_PROFILE names no folder
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
    test::writeFile(root / ".pendrel-side-profile.json", "pendrel side");
    test::writeFile(root / ".vexbeat-side-profile.json", "vexbeat side");
    test::writeFile(root / ".vexbeat-light-side-profile.json", "vexbeat light");
    migrateLegacyProfiles(root.path());
    // The first legacy name found wins; the later one finds the file present.
    EXPECT_EQ(test::readFile(root / ".knockbox-side-profile.json"), "pendrel side");
    EXPECT_EQ(test::readFile(root / ".knockbox-light-side-profile.json"), "vexbeat light");

    // An existing current profile is never overwritten.
    test::writeFile(root / ".knockbox-side-profile.json", "mine");
    migrateLegacyProfiles(root.path());
    EXPECT_EQ(test::readFile(root / ".knockbox-side-profile.json"), "mine");

    // Without legacy files nothing is copied, and a folder that cannot be
    // read (a symbolic link loop, which fails even for root) is no failure.
    TemporaryDirectory empty;
    migrateLegacyProfiles(empty.path());
    fs::create_symlink("loop", empty / "loop");
    migrateLegacyProfiles(empty / "loop");
    EXPECT_EQ(std::distance(fs::directory_iterator(empty.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace knockbox
