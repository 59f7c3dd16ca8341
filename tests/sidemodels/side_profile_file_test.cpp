// Side profile files and the hardware check.
// (The texts of a broken or foreign profile are checked through the program,
// in tests/e2e; how a failed write keeps the old file, in tests/core; a save
// that cannot make its folder, in tests/player. A trained profile read back
// exactly: the self-test, and the light profile's tests with the same writer.)
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "sidemodels/calibration_error.h"
#include "sidemodels/side_profile.h"
#include "support/child_process.h"
#include "support/side_signatures.h"
#include "support/thrown.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using Kind = CalibrationError::Kind;
using nlohmann::json;
using test::thrown;

const fs::path legacyFixture = fs::path(KNOCKBOX_SOURCE_DIR) / "tests/sidemodels/legacy-side-profile.json";

SideProfile trainedProfile() {
    const auto set = test::simulatedSignatures(1, 8, simulation::Strength::firm);
    return SideProfile::train(set.left.features, set.right.features, "Mac14,2");
}

std::optional<Kind> loadError(const fs::path& path, const std::string& model = "Mac14,2") {
    const auto error = thrown<CalibrationError>([&] { SideProfile::load(path, model); });
    return error ? std::optional(error->kind()) : std::nullopt;
}

TEST(SideProfileFile, TheVersionOneExampleLoadsPredictsAndSavesAsVersionOne) {
    const SideProfile legacy = SideProfile::load(legacyFixture, "LegacyFixture");
    EXPECT_EQ(legacy.version, 1);
    EXPECT_FALSE(legacy.covarianceModel);

    // Left distance 0, right distance 16 + 16: left, confidence 1, no cap, no support gate.
    EXPECT_EQ(legacy.predict({{-0.2, -0.4, 0, 0, 0, 0, 0, 0}, false}), (SidePrediction{Side::left, 1.0, true, false}));
    const auto far = legacy.predict({{30, 60, 0, 0, 0, 0, 0, 0}, true});
    ASSERT_TRUE(far);
    EXPECT_EQ(far->side, Side::right);
    EXPECT_FALSE(far->isOutOfDistribution);
    // Equally far from both centres: no opinion.
    EXPECT_FALSE(legacy.predict({std::vector<double>(8, 0.0), true}));
    // Near the boundary the vote is reliable but below the 0.6 that the detector asks for.
    const auto near = legacy.predict({{0.01, 0, 0, 0, 0, 0, 0, 0}, true});
    ASSERT_TRUE(near);
    EXPECT_LT(near->confidence, 0.6);

    test::TemporaryDirectory folder;
    legacy.save(folder / "copy.json");
    const std::string saved = test::readFile(folder / "copy.json");
    EXPECT_EQ(saved.find("covarianceModel"), std::string::npos) << saved;
    EXPECT_EQ(SideProfile::load(folder / "copy.json", "LegacyFixture"), legacy);
}

TEST(SideProfileFile, EachBrokenFileGivesItsOwnError) {
    test::TemporaryDirectory folder;
    const SideProfile profile = trainedProfile();
    profile.save(folder / "good.json");
    const std::string good = test::readFile(folder / "good.json");
    const json object = json::parse(good);
    const auto edited = [&](const std::function<void(json&)>& edit) {
        json copy = object;
        edit(copy);
        return copy.dump();
    };

    const std::vector<std::pair<std::string, std::string>> invalid{
        {"not JSON", "side profile"},
        {"truncated", good.substr(0, good.size() / 2)},
        {"empty", ""},
        {"an array", "[1, 2]"},
        {"version 3", edited([](json& j) { j["version"] = 3; })},
        {"version as text", edited([](json& j) { j["version"] = "2"; })},
        {"huge version", edited([](json& j) { j["version"] = 4294967298ull; })},
        {"seven centre values", edited([](json& j) { j["left"].erase(7); })},
        {"a boolean for a number", edited([](json& j) { j["scales"][0] = true; })},
        {"a fractional count", edited([](json& j) { j["counts"][0] = 8.5; })},
        {"no hardware model", edited([](json& j) { j.erase("hardwareModel"); })},
        {"version 2 without covariance", edited([](json& j) { j.erase("covarianceModel"); })},
        {"a short covariance row", edited([](json& j) { j["covarianceModel"]["covariance"][3].erase(0); })},
        {"one support radius", edited([](json& j) { j["covarianceModel"]["supportRadii"].erase(1); })},
        {"nested deeper than any profile", std::string(100000, '[')},
    };
    for (const auto& [name, text] : invalid) {
        test::writeFile(folder / "bad.json", text);
        EXPECT_EQ(loadError(folder / "bad.json"), Kind::invalidProfile) << name;
    }

    // Members we do not know are ignored.
    test::writeFile(folder / "extra.json", edited([](json& j) { j["comment"] = {{"made", "elsewhere"}}; }));
    EXPECT_EQ(SideProfile::load(folder / "extra.json", "Mac14,2"), profile);

    EXPECT_EQ(loadError(folder / "good.json", "Mac15,3"), Kind::hardwareMismatch);
    // The exact text counts: a model with a space more is another model.
    EXPECT_EQ(loadError(folder / "good.json", "Mac14,2 "), Kind::hardwareMismatch);
    EXPECT_EQ(loadError(folder / "none.json"), Kind::readFailed);  // a folder: tests/player
}

TEST(SideProfileFile, SavingChecksTheProfileFirst) {
    test::TemporaryDirectory folder;
    SideProfile invalid = trainedProfile();
    invalid.validationAccuracy = 0.5;
    EXPECT_EQ(thrown<CalibrationError>([&] { invalid.save(folder / "p.json"); }).value().kind(), Kind::invalidProfile);
    EXPECT_FALSE(fs::exists(folder / "p.json"));
}

}  // namespace
}  // namespace knockbox
