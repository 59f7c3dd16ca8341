#include "player/profile_loading.h"

#include <gtest/gtest.h>

#include "sidemodels/light_side_profile.h"
#include "support/child_process.h"
#include "support/side_signatures.h"

namespace knockbox {
namespace {

// Which saved profiles a calibration looks at: a side calibration makes a new
// firm profile and so skips the saved one, but keeps the light one; a light
// calibration keeps both; --no-side-profile loads neither; missing files say
// nothing. (A plain run: tests/e2e/side_profile_replay_test.cpp; a light
// calibration: tests/e2e/calibration_replay_test.cpp.)
TEST(ProfileLoading, WhichProfilesARunLoads) {
    test::TemporaryDirectory folder;
    const auto firm = test::simulatedSignatures(3, 8, simulation::Strength::firm);
    const SideProfile profile = SideProfile::train(firm.left.features, firm.right.features, "Mac14,2");
    profile.save(folder / "p.json");
    LightSideProfile(profile, 0.125).save(folder / "light.json");
    const ProfileSources sources{folder / "p.json", folder / "light.json", "Mac14,2"};
    const std::string lightLine = "Profil lekkich załadowany · peak < 0.125 g · walidacja 100%";

    const auto linesFor = [&](std::vector<std::string> arguments, const ProfileSources& from) {
        std::vector<std::string> lines;
        TapDetector detector;
        loadSavedProfiles(parseOptions(arguments), detector, [&](std::string_view line) { lines.emplace_back(line); },
                          from);
        return lines;
    };
    EXPECT_EQ(linesFor({"--calibrate-sides"}, sources), (std::vector<std::string>{lightLine}));
    EXPECT_TRUE(linesFor({"--no-side-profile"}, sources).empty());
    EXPECT_TRUE(linesFor({}, {folder / "none.json", folder / "none-light.json", "Mac14,2"}).empty());

    // An error whose text already gives the hint is not followed by it twice.
    test::writeFile(folder / "v3-light.json", R"({"version": 3, "maximumPeak": 0.1})");
    EXPECT_EQ(linesFor({}, {folder / "none.json", folder / "v3-light.json", "Mac14,2"}),
              (std::vector<std::string>{
                  "Profil lekkich pominięty: Nieprawidłowy profil lekkich klepnięć. Użyj --calibrate-light."}));

    // A file that exists but cannot be read is reported like any other failure.
    const auto unreadable = linesFor({}, {folder.path(), folder / "none.json", "Mac14,2"});
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0], "Profil stron pominięty: Nie można odczytać profilu kalibracji: " +
                                 folder.path().string() + ": Is a directory. Użyj --calibrate-sides.");
}

}  // namespace
}  // namespace knockbox
