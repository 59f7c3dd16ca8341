// Training and prediction of the firm-tap side profile, on simulated taps and
// on hand-made signatures where a rule needs exact numbers.
#include "sidemodels/side_profile.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "sidemodels/calibration_error.h"
#include "support/side_signatures.h"
#include "support/thrown.h"

namespace knockbox {
namespace {

using Kind = CalibrationError::Kind;
using simulation::Strength;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::optional<Kind> trainingError(const std::vector<SideFeatures>& left, const std::vector<SideFeatures>& right,
                                  const std::string& model = "Mac14,2") {
    const auto error = test::thrown<CalibrationError>([&] { SideProfile::train(left, right, model); });
    return error ? std::optional(error->kind()) : std::nullopt;
}

// Eight signatures around `centre` on feature 0 (and `gyroCentre` on the
// gyroscope features), a little apart so that no two are the same packet.
std::vector<SideFeatures> signaturesAround(double centre, int count = 8, double gyroCentre = 0, bool gyro = true) {
    std::vector<SideFeatures> list;
    for (int i = 0; i < count; ++i) {
        const double jitter = 0.01 * ((i * 5) % 7 - 3);
        list.push_back({{centre + jitter, 0.2 + jitter, -0.1 - jitter, gyroCentre + jitter, gyroCentre - jitter,
                         gyroCentre + 2 * jitter, 0.3 + jitter, gyroCentre - 2 * jitter},
                        gyro});
    }
    return list;
}

TEST(SideProfileTraining, ErrorsComeInTheirOrder) {
    const auto left = signaturesAround(-1), right = signaturesAround(1);
    const auto withValue = [](std::vector<SideFeatures> list, std::size_t tap, double value) {
        list[tap].values[2] = value;
        return list;
    };
    const auto shortTap = [](std::vector<SideFeatures> list) {
        list[3].values.pop_back();
        return list;
    };
    const std::vector<SideFeatures> sevenTaps(left.begin(), left.begin() + 7);
    // Eight taps that are two packets repeated; the gyroscope flag alone does not make them distinct.
    std::vector<SideFeatures> repeated;
    for (int i = 0; i < 8; ++i) repeated.push_back({left[i % 2].values, i % 4 < 2});

    EXPECT_EQ(trainingError(left, right, " \t\n"), Kind::invalidHardware);
    EXPECT_EQ(trainingError(sevenTaps, right, ""), Kind::invalidHardware);  // the model first
    EXPECT_EQ(trainingError(sevenTaps, right), Kind::insufficientSamples);
    EXPECT_EQ(trainingError(left, withValue(sevenTaps, 0, nan)), Kind::insufficientSamples);
    EXPECT_EQ(trainingError(left, withValue(right, 5, nan)), Kind::invalidFeatures);
    EXPECT_EQ(trainingError(shortTap(left), right), Kind::invalidFeatures);
    EXPECT_EQ(trainingError(withValue(repeated, 0, nan), right), Kind::invalidFeatures);
    EXPECT_EQ(trainingError(repeated, right), Kind::repeatedSamples);
    EXPECT_EQ(trainingError(left, signaturesAround(-1)), Kind::indistinguishable);
}

// (Fresh taps judged by a trained profile: the self-test's calibrations, run
// in tests/e2e.)
TEST(SideProfileTraining, WellSeparatedSimulatedTapsValidateFully) {
    for (Strength strength : {Strength::firm, Strength::gentle}) {
        for (bool gyro : {true, false}) {
            for (std::uint64_t seed = 1; seed <= 3; ++seed) {
                const auto training = test::simulatedSignatures(seed, 8, strength, gyro);
                const SideProfile profile =
                    SideProfile::train(training.left.features, training.right.features, " Mac14,2\n");
                EXPECT_EQ(profile.version, 2);
                EXPECT_EQ(profile.validationAccuracy, 1.0);
                EXPECT_EQ(profile.hardwareModel, " Mac14,2\n");  // stored as given
            }
        }
    }
}

TEST(SideProfileTraining, SidesThatCannotBeToldApartNeverYieldAProfile) {
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        for (bool gyro : {true, false}) {
            const auto same = test::simulatedSignatures(seed, 10, Strength::firm, gyro, true);
            const auto kind = trainingError(same.left.features, same.right.features);
            EXPECT_TRUE(kind == Kind::indistinguishable || kind == Kind::poorValidation) << "seed " << seed;
        }
    }
}

TEST(SideProfileTraining, MislabelledTapsLowerTheValidation) {
    // Two of ten taps on each side carry the other side's label.
    auto set = test::simulatedSignatures(4, 10, Strength::firm);
    for (std::size_t i : {1u, 6u}) std::swap(set.left.features[i], set.right.features[i]);
    const SideProfile profile = SideProfile::train(set.left.features, set.right.features, "Mac14,2");
    EXPECT_LT(profile.validationAccuracy, 1.0);
    EXPECT_GE(profile.validationAccuracy, 0.75);
    EXPECT_EQ(profile.counts, (std::array<std::int64_t, 2>{10, 10}));
}

TEST(SideProfilePrediction, AGyroscopeOnlyProfileAbstainsWithoutGyroscopeData) {
    // The acceleration features are the same on both sides; only the
    // gyroscope tells them apart.
    const auto left = signaturesAround(0.5, 8, -2), right = signaturesAround(0.5, 8, 2);
    const SideProfile profile = SideProfile::train(left, right, "Mac14,2");
    SideFeatures tap = left[3];
    EXPECT_EQ(profile.predict(tap).value().side, Side::left);
    tap.gyroAvailable = false;
    EXPECT_FALSE(profile.predict(tap));

    // Gyroscope values of taps marked without gyroscope never enter the fit:
    // here they alone differ between the sides, so only the acceleration
    // feature that really differs is used.
    auto leftMixed = signaturesAround(-1, 12, 0), rightMixed = signaturesAround(1, 12, 0);
    for (std::size_t i = 0; i < 12; i += 2) {
        leftMixed[i] = signaturesAround(-1, 12, -50, false)[i];
        rightMixed[i] = signaturesAround(1, 12, 50, false)[i];
    }
    const SideProfile mixed = SideProfile::train(leftMixed, rightMixed, "Mac14,2");
    for (std::size_t i : SideProfile::gyroIndices) EXPECT_EQ(mixed.scales[i], 0) << i;
    EXPECT_GT(mixed.scales[0], 0);
    // A profile with acceleration features keeps using them without the gyroscope.
    EXPECT_EQ(mixed.predict(leftMixed[0]).value().side, Side::left);
}

TEST(SideProfilePrediction, ConfidenceIsCappedAndDoubtfulTapsAreNotReliable) {
    const auto training = test::simulatedSignatures(2, 8, Strength::firm);
    const SideProfile profile = SideProfile::train(training.left.features, training.right.features, "Mac14,2");
    // Points on the line through the class centres: 0 the middle, 1 the right centre.
    const auto at = [&](double share) {
        SideFeatures tap{std::vector<double>(8), true};
        for (std::size_t i = 0; i < 8; ++i)
            tap.values[i] = (profile.left[i] + profile.right[i]) / 2 + share * (profile.right[i] - profile.left[i]) / 2;
        return tap;
    };
    // Unreliable near the middle, reliable at the right centre, and never above the cap.
    const auto doubtful = profile.predict(at(0.05)), sure = profile.predict(at(1.0));
    ASSERT_TRUE(doubtful && sure);
    EXPECT_EQ(doubtful->side, Side::right);
    EXPECT_FALSE(doubtful->isReliable);
    EXPECT_GE(doubtful->confidence, 0.5);
    EXPECT_TRUE(sure->isReliable);
    EXPECT_LE(sure->confidence, 0.95);
    // (Beyond the support: ATapJustBeyondTheSupportIsNotConfident.)

    // Values the profile cannot use give no opinion.
    SideFeatures unusable = at(-1);
    unusable.values[4] = nan;
    EXPECT_FALSE(profile.predict(unusable));
    EXPECT_FALSE(profile.predict({std::vector<double>(7, 0.1), true}));
    EXPECT_FALSE(profile.predict({std::vector<double>(9, 0.1), true}));
}

// The support gate holds where confidence alone would not: a tap just beyond
// 1.5 support radii with confidence 0.79 is no confident side; just inside it is.
TEST(SideProfilePrediction, ATapJustBeyondTheSupportIsNotConfident) {
    SideProfile profile{.left = {-1}, .right = {1}, .scales = {1}, .counts = {8, 8}, .validationAccuracy = 1,
                        .hardwareModel = "Test1,1", .covarianceModel = CovarianceModel{}};
    for (std::size_t i = 0; i < 8; ++i) profile.covarianceModel->covariance[i][i] = 1;
    profile.covarianceModel->supportRadii = {0.1, 0.1};
    ASSERT_TRUE(profile.isValid());
    const auto at = [&](double x) {
        SideFeatures tap{std::vector<double>(8, 0.0), true};
        tap.values[0] = x;
        return profile.predict(tap);
    };
    const auto beyond = at(1.1515), inside = at(1.149);
    ASSERT_TRUE(beyond && inside);
    EXPECT_NEAR(beyond->confidence, 0.79, 0.01);
    EXPECT_TRUE(beyond->isOutOfDistribution && !beyond->isReliable && !beyond->isConfident());
    EXPECT_NEAR(inside->confidence, 0.8, 0.01);
    EXPECT_TRUE(inside->isConfident());
}

TEST(SideProfilePrediction, AnInvalidProfilePredictsNothing) {
    const auto training = test::simulatedSignatures(3, 8, Strength::firm);
    const SideProfile good = SideProfile::train(training.left.features, training.right.features, "Mac14,2");
    const SideFeatures tap = training.left.features[0];
    ASSERT_TRUE(good.predict(tap));

    const std::vector<std::pair<const char*, std::function<void(SideProfile&)>>> breakages{
        {"seven taps a side", [](SideProfile& p) { p.counts[0] = 7; }},
        {"accuracy below 0.75", [](SideProfile& p) { p.validationAccuracy = 0.74; }},
        {"accuracy above 1", [](SideProfile& p) { p.validationAccuracy = 1.01; }},
        {"blank model", [](SideProfile& p) { p.hardwareModel = " \u00A0"; }},
        {"negative scale", [](SideProfile& p) { p.scales[6] = -1; }},
        {"no scale", [](SideProfile& p) { p.scales.fill(0); }},
        {"used feature with equal centres", [](SideProfile& p) { p.right[0] = p.left[0]; }},
        {"non-finite centre", [](SideProfile& p) { p.left[7] = nan; }},
        {"asymmetric covariance", [](SideProfile& p) { p.covarianceModel->covariance[0][1] += 1e-8; }},
        {"not positive definite", [](SideProfile& p) { p.covarianceModel->covariance[2][2] = -1; }},
        {"zero radius", [](SideProfile& p) { p.covarianceModel->supportRadii[1] = 0; }},
    };
    for (const auto& [name, breakage] : breakages) {
        SideProfile broken = good;
        breakage(broken);
        EXPECT_FALSE(broken.isValid()) << name;
        EXPECT_FALSE(broken.predict(tap)) << name;
    }
    // A valid version 1 profile: SideProfileFile.TheVersionOneExampleLoadsPredictsAndSavesAsVersionOne;
    // version 3, and version 2 without covariance: SideProfileFile.EachBrokenFileGivesItsOwnError.
}

}  // namespace
}  // namespace knockbox
