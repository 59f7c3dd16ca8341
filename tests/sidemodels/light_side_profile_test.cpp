#include "sidemodels/light_side_profile.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <nlohmann/json.hpp>

#include "sidemodels/calibration_error.h"
#include "support/child_process.h"
#include "support/side_signatures.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using simulation::Strength;

// Main and impulse models trained on gentle taps.
struct GentleModels {
    test::SignatureSet training = test::simulatedSignatures(7, 8, Strength::gentle);
    SideProfile profile = SideProfile::train(training.left.features, training.right.features, "Mac14,2");
    SideProfile impulse =
        SideProfile::train(training.left.impulseFeatures(), training.right.impulseFeatures(), "Mac14,2");
};

const GentleModels& gentleModels() {
    static const GentleModels models;
    return models;
}

// Which error an action ends with: a light profile's own, an invalid wrapped
// profile, one from another Mac, another, or none.
std::string outcome(const std::function<void()>& action) {
    try {
        action();
        return "accepted";
    } catch (const LightProfileError&) {
        return "light";
    } catch (const CalibrationError& error) {
        using enum CalibrationError::Kind;
        return error.kind() == invalidProfile ? "invalid" : error.kind() == hardwareMismatch ? "mismatch" : "other";
    }
}

TEST(LightSideProfile, CombineTable) {
    const SidePrediction left{Side::left, 0.9, true, false};
    const SidePrediction right{Side::right, 0.8, true, false};
    const SidePrediction unsureRight{Side::right, 0.55, true, false};
    const SidePrediction unreliableRight{Side::right, 0.9, false, false};
    const SidePrediction outsideRight{Side::right, 0.9, true, true};
    const std::optional<SidePrediction> none;
    const auto combine = LightSideProfile::combine;

    // Neither confident: a if it exists, else b.
    EXPECT_EQ(combine(unsureRight, unreliableRight), unsureRight);
    EXPECT_EQ(combine(none, outsideRight), outsideRight);
    EXPECT_EQ(combine(none, none), none);
    // One confident: it wins, whatever the other says.
    EXPECT_EQ(combine(left, unsureRight), left);
    EXPECT_EQ(combine(outsideRight, left), left);
    EXPECT_EQ(combine(none, right), right);
    // Both confident and agreeing: the more confident one.
    const SidePrediction surerRight{Side::right, 0.93, true, false};
    EXPECT_EQ(combine(right, surerRight), surerRight);
    EXPECT_EQ(combine(surerRight, right), surerRight);
    // Both confident and disagreeing: abstain on the more confident side, a on a tie.
    EXPECT_EQ(combine(left, right), (SidePrediction{Side::left, 0.5, false, false}));
    EXPECT_EQ(combine(right, SidePrediction{Side::left, 0.95, true, false}),
              (SidePrediction{Side::left, 0.5, false, false}));
    EXPECT_EQ(combine(SidePrediction{Side::right, 0.7, true, false}, SidePrediction{Side::left, 0.7, true, false}),
              (SidePrediction{Side::right, 0.5, false, false}));
}

TEST(LightSideProfile, ValidationOrder) {
    const SideProfile& good = gentleModels().profile;
    SideProfile broken = good;
    broken.counts = {1, 1};
    SideProfile foreign = good;
    foreign.hardwareModel = "Mac15,3";

    const auto failure = [](const LightSideProfile& light, const std::optional<std::string>& model) {
        return outcome([&] { light.validate(model); });
    };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double peak : {0.0, -0.1, inf, nan}) EXPECT_EQ(failure(LightSideProfile(good, peak), std::nullopt), "light");
    // The band and version are checked before the wrapped profiles.
    EXPECT_EQ(failure(LightSideProfile(broken, 0.0), std::nullopt), "light");
    const auto withVersion = [](LightSideProfile light, int version) {
        light.version = version;
        return light;
    };
    EXPECT_EQ(failure(withVersion(LightSideProfile(broken, 0.1), 3), std::nullopt), "light");
    EXPECT_EQ(failure(withVersion(LightSideProfile(good, good, 0.1), 1), std::nullopt), "light");  // with an impulse model
    EXPECT_EQ(failure(withVersion(LightSideProfile(std::nullopt, good, 0.1), 1), std::nullopt), "light");  // without a main one
    EXPECT_EQ(failure(LightSideProfile(std::nullopt, std::nullopt, 0.1), std::nullopt), "light");

    EXPECT_EQ(failure(LightSideProfile(broken, 0.1), std::nullopt), "invalid");
    EXPECT_EQ(failure(LightSideProfile(good, broken, 0.1), std::nullopt), "invalid");
    EXPECT_EQ(failure(LightSideProfile(good, foreign, 0.1), std::nullopt), "accepted");  // no model: not compared
    EXPECT_EQ(failure(LightSideProfile(good, foreign, 0.1), "Mac14,2"), "mismatch");
    EXPECT_EQ(failure(LightSideProfile(foreign, good, 0.1), "Mac14,2"), "mismatch");
    EXPECT_EQ(failure(LightSideProfile(std::nullopt, good, 0.1), "Mac14,2"), "accepted");
}

// (Fresh gentle taps judged on their side by the whole light profile and by
// its impulse part alone: the self-test's light calibration, run in tests/e2e.)
TEST(LightSideProfile, WithoutAnImpulseSignatureOnlyTheMainModelJudges) {
    const GentleModels& models = gentleModels();
    const auto fresh = test::simulatedSignatures(70, 3, Strength::gentle);
    const LightSideProfile both(models.profile, models.impulse, 0.16);
    const LightSideProfile impulseOnly(std::nullopt, models.impulse, 0.16);
    for (const SideFeatures& tap : fresh.left.features) {
        EXPECT_FALSE(impulseOnly.predict(tap, std::nullopt));
        EXPECT_EQ(both.predict(tap, std::nullopt), models.profile.predict(tap));
    }

    // The better of the two accuracies; an absent model counts 0.
    SideProfile weaker = models.profile;
    weaker.validationAccuracy = 0.8;
    EXPECT_EQ(LightSideProfile(weaker, models.impulse, 0.16).validationAccuracy(), models.impulse.validationAccuracy);
    EXPECT_EQ(LightSideProfile(std::nullopt, weaker, 0.16).validationAccuracy(), 0.8);
}

// Every shape saves and loads back; saving validates first. Broken files do
// not load, each with its own error (what a decoded profile must satisfy:
// ValidationOrder above).
TEST(LightSideProfile, FilesLoadBackAndBrokenOnesDoNot) {
    const GentleModels& models = gentleModels();
    test::TemporaryDirectory folder;
    const fs::path path = folder / "nested/.knockbox-light-side-profile.json";
    for (const LightSideProfile& light :
         {LightSideProfile(models.profile, 0.2), LightSideProfile(std::nullopt, models.impulse, 0.12),
          LightSideProfile(models.profile, models.impulse, 0.16)}) {
        light.save(path);
        EXPECT_EQ(LightSideProfile::load(path, "Mac14,2"), light);
        const std::string text = test::readFile(path);
        EXPECT_EQ(text.find("\"profile\"") != std::string::npos, light.profile.has_value()) << text;
        EXPECT_EQ(text.find("\"impulseProfile\"") != std::string::npos, light.usesImpulse()) << text;
    }
    EXPECT_THROW(LightSideProfile(models.profile, 0.0).save(folder / "other.json"), LightProfileError);
    EXPECT_FALSE(fs::exists(folder / "other.json"));

    const nlohmann::json good = nlohmann::json::parse(test::readFile(path));
    const auto loadWith = [&](const std::string& text) {
        test::writeFile(path, text);
        return outcome([&] { LightSideProfile::load(path, "Mac14,2"); });
    };
    const auto edited = [&](const std::function<void(nlohmann::json&)>& edit) {
        nlohmann::json copy = good;
        edit(copy);
        return copy.dump();
    };
    EXPECT_EQ(loadWith("{\"version\": 2, \"maximumPeak\""), "light");
    EXPECT_EQ(loadWith(edited([](auto& j) { j["maximumPeak"] = "0.16"; })), "light");
    EXPECT_EQ(loadWith(edited([](auto& j) { j.erase("version"); })), "light");
    EXPECT_EQ(loadWith(edited([](auto& j) { j["profile"].erase("left"); })), "invalid");
    EXPECT_EQ(loadWith(edited([](auto& j) { j["note"] = 1; })), "accepted");
    // (A file that cannot be read: the firm profile's tests, with the same reader.)
}

}  // namespace
}  // namespace knockbox
