#include "detection/side_decision.h"

#include <gtest/gtest.h>

#include <cmath>

#include "detection/hit.h"

namespace knockbox {
namespace {

SideSignature signatureWith(double lobeMean, double meanX = 0.002) {
    SideSignature signature;
    signature.features = SideFeatures{std::vector<double>(8, 0.25), true};
    signature.lobeMean = lobeMean;
    signature.meanX = meanX;
    return signature;
}

// Stand-ins shaped like the fitted profiles: values with a `predict`.
struct FixedFirmProfile {
    std::optional<SidePrediction> answer;
    std::optional<SidePrediction> predict(const SideFeatures&) const { return answer; }
};

struct FixedLightProfile {
    double maximumPeak = 0.1;
    std::optional<SidePrediction> answer;
    std::optional<SidePrediction> predict(const SideFeatures&, const std::optional<SideFeatures>&) const {
        return answer;
    }
};

const SidePrediction confidentLeft{Side::left, 0.9, true, false};
const SidePrediction confidentRight{Side::right, 0.8, true, false};

TEST(SideDecision, HeuristicFollowsTheFirstLobeWithBiasAndInversion) {
    DetectorConfig config;
    const auto decide = [&](double lobeMean, double peak) {
        return decideSide(signatureWith(lobeMean), std::nullopt, peak, config, std::nullopt, std::nullopt);
    };
    SideDecision right = decide(0.02, 0.1);
    EXPECT_EQ(right.side, Side::right);
    EXPECT_EQ(right.drum, Drum::hihat);
    EXPECT_EQ(right.model, "heurystyka");
    EXPECT_TRUE(right.sideReliable);
    EXPECT_DOUBLE_EQ(right.sideConfidence, 0.02 / 0.1 * 0.5 + 0.5);
    EXPECT_DOUBLE_EQ(right.attackX, 0.02);
    EXPECT_EQ(decide(0.0, 0.1).side, Side::right);  // zero counts as right
    EXPECT_EQ(decide(-0.03, 0.2).drum, Drum::tom);
    EXPECT_DOUBLE_EQ(decide(-0.03, 0.005).sideConfidence, 1.0);  // capped; peak floor 0.01

    // A lobe under 1 mg reports the weighted mean X instead.
    EXPECT_DOUBLE_EQ(decide(0.0005, 0.1).attackX, 0.002);

    config.sideBias = 0.05;
    const SideDecision biased = decide(-0.03, 0.1);
    EXPECT_EQ(biased.side, Side::right);
    EXPECT_DOUBLE_EQ(biased.attackX, 0.02);

    // Inversion swaps the side once, the drum follows, the reported score flips.
    config = DetectorConfig{};
    config.invertSides = true;
    const SideDecision inverted = decide(-0.03, 0.1);
    EXPECT_EQ(inverted.side, Side::right);
    EXPECT_EQ(inverted.drum, Drum::hihat);
    EXPECT_DOUBLE_EQ(inverted.attackX, 0.03);
    EXPECT_EQ(decide(-0.03, 0.3).drum, Drum::snare);
    EXPECT_EQ(decide(0.03, 0.3).drum, Drum::tom);
}

TEST(SideDecision, LightModelJudgesStrictlyBelowItsOwnMaximumPeak) {
    DetectorConfig config;
    const std::optional<LightSideModel> light = FixedLightProfile{0.1, confidentLeft};
    const std::optional<FirmSideModel> firm = FixedFirmProfile{confidentRight};
    const SideSignature signature = signatureWith(0.02);  // the heuristic says right

    const auto decide = [&](double peak, const std::optional<FirmSideModel>& firmModel) {
        return decideSide(signature, std::nullopt, peak, config, firmModel, light);
    };
    EXPECT_EQ(decide(0.08, firm).model, "lekki");
    EXPECT_EQ(decide(0.08, firm).side, Side::left);
    EXPECT_EQ(decide(0.1, firm).model, "główny");
    EXPECT_EQ(decide(0.1, firm).side, Side::right);
    EXPECT_EQ(decide(0.1, std::nullopt).model, "heurystyka");
    EXPECT_TRUE(decide(0.1, std::nullopt).sideReliable);

    // The accent picks the drum, never the model.
    config.accent = 0.3;
    EXPECT_EQ(decide(0.2, firm).model, "główny");
    EXPECT_EQ(decide(0.2, firm).drum, Drum::hihat);
    config.accent = 0.05;
    EXPECT_EQ(decide(0.08, firm).model, "lekki");
    EXPECT_EQ(decide(0.08, firm).drum, Drum::tom);
}

TEST(SideDecision, ConsultedModelIsNeverOverruledByTheHeuristic) {
    const DetectorConfig config;
    const auto decide = [&](std::optional<SidePrediction> answer) {
        const std::optional<FirmSideModel> firm = FixedFirmProfile{answer};
        return decideSide(signatureWith(0.02), std::nullopt, 0.3, config, firm, std::nullopt);
    };
    const SideDecision learned = decide(confidentLeft);
    EXPECT_EQ(learned.side, Side::left);
    EXPECT_EQ(learned.drum, Drum::tom);
    EXPECT_TRUE(learned.sideReliable);
    EXPECT_DOUBLE_EQ(learned.sideConfidence, 0.9);

    // No opinion: the heuristic side, but unreliable at 0.5.
    const SideDecision abstained = decide(std::nullopt);
    EXPECT_EQ(abstained.side, Side::right);
    EXPECT_FALSE(abstained.sideReliable);
    EXPECT_DOUBLE_EQ(abstained.sideConfidence, 0.5);

    EXPECT_FALSE(decide(SidePrediction{Side::left, 0.59, true, false}).sideReliable);
    EXPECT_TRUE(decide(SidePrediction{Side::left, 0.6, true, false}).sideReliable);
    EXPECT_FALSE(decide(SidePrediction{Side::left, 0.95, false, false}).sideReliable);

    // The light model may see the impulse signature; a tap without one still reaches it.
    std::optional<SideFeatures> seen;
    const std::optional<LightSideModel> light = LightSideModel(
        0.2, [&](const SideFeatures&, const std::optional<SideFeatures>& impulse) {
            seen = impulse;
            return std::optional<SidePrediction>(confidentRight);
        });
    const SideFeatures impulse{std::vector<double>(8, -1.0), true};
    decideSide(signatureWith(-0.02), impulse, 0.1, config, std::nullopt, light);
    EXPECT_EQ(seen, impulse);
    const SideDecision noImpulse = decideSide(signatureWith(-0.02), std::nullopt, 0.1, config, std::nullopt, light);
    EXPECT_EQ(noImpulse.side, Side::right);
    EXPECT_EQ(noImpulse.model, "lekki");
}

TEST(SideDecision, InversionAppliesOnceAfterTheModel) {
    DetectorConfig config;
    config.invertSides = true;
    const std::optional<FirmSideModel> firm = FixedFirmProfile{confidentLeft};
    const SideDecision decision = decideSide(signatureWith(-0.02), std::nullopt, 0.08, config, firm, std::nullopt);
    EXPECT_EQ(decision.side, Side::right);
    EXPECT_EQ(decision.drum, Drum::hihat);
    EXPECT_TRUE(decision.sideReliable);
}

TEST(HitRules, DrumTable) {
    EXPECT_EQ(drumFor(Side::left, 0.159, 0.16), Drum::kick);
    EXPECT_EQ(drumFor(Side::left, 0.16, 0.16), Drum::tom);
    EXPECT_EQ(drumFor(Side::right, 0.159, 0.16), Drum::hihat);
    EXPECT_EQ(drumFor(Side::right, 0.16, 0.16), Drum::snare);
}

TEST(HitRules, VelocityCurve) {
    EXPECT_FLOAT_EQ(tapVelocity(0.05, 0.05, 0.5), 0.15f);
    EXPECT_NEAR(tapVelocity(0.1, 0.05, 0.5), std::sqrt(0.05 / 0.45) * 0.85 + 0.15, 1e-6);
    EXPECT_NEAR(tapVelocity(0.1, 0.05, 0.5), 0.4333, 1e-4);
    EXPECT_FLOAT_EQ(tapVelocity(0.5, 0.05, 0.5), 1.0f);
    EXPECT_FLOAT_EQ(tapVelocity(3.0, 0.05, 0.5), 1.0f);
    EXPECT_FLOAT_EQ(tapVelocity(0.04, 0.05, 0.5), 0.15f);
    float previous = 0;
    for (double peak = 0.05; peak <= 0.5; peak += 0.01) {
        const float velocity = tapVelocity(peak, 0.05, 0.5);
        EXPECT_GT(velocity, previous);
        previous = velocity;
    }
    // A capture threshold above the full velocity still gives 1 for strong taps.
    EXPECT_FLOAT_EQ(tapVelocity(0.3, 0.12, 0.1), 1.0f);
}

}  // namespace
}  // namespace knockbox
