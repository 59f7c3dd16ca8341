#include "detection/side_decision.h"

#include <gtest/gtest.h>

#include <utility>

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

std::optional<FirmSideModel> firmSaying(std::optional<SidePrediction> answer) {
    return FirmSideModel([answer](const SideFeatures&) { return answer; });
}

const SidePrediction confidentLeft{Side::left, 0.9, true, false};
const SidePrediction confidentRight{Side::right, 0.8, true, false};

TEST(SideDecision, HeuristicFollowsTheFirstLobeAndTheBias) {
    DetectorConfig config;
    const auto decide = [&](double lobeMean, double peak) {
        return decideSide(signatureWith(lobeMean), std::nullopt, peak, config, std::nullopt, std::nullopt);
    };
    const SideDecision right = decide(0.02, 0.1);
    EXPECT_EQ(right.side, Side::right);
    EXPECT_EQ(right.drum, Drum::hihat);
    EXPECT_EQ(right.model, "heurystyka");
    EXPECT_TRUE(right.sideReliable);
    EXPECT_DOUBLE_EQ(right.attackX, 0.02);
    EXPECT_EQ(decide(0.0, 0.1).side, Side::right);  // zero counts as right
    EXPECT_DOUBLE_EQ(decide(-0.03, 0.005).sideConfidence, 1.0);  // capped; peak floor 0.01
    // A lobe under 1 mg reports the weighted mean X instead.
    EXPECT_DOUBLE_EQ(decide(0.0005, 0.1).attackX, 0.002);

    config.sideBias = 0.05;
    EXPECT_EQ(decide(-0.03, 0.1).side, Side::right);
    EXPECT_DOUBLE_EQ(decide(-0.03, 0.1).attackX, 0.02);
    // Inversion swaps side, drum and score after the bias.
    config.invertSides = true;
    const SideDecision inverted = decide(-0.03, 0.2);
    EXPECT_EQ(std::pair(inverted.side, inverted.drum), std::pair(Side::left, Drum::tom));
    EXPECT_DOUBLE_EQ(inverted.attackX, -0.02);
}

TEST(SideDecision, LightModelJudgesStrictlyBelowItsOwnMaximumPeak) {
    DetectorConfig config;
    const std::optional<LightSideModel> light =
        LightSideModel(0.1, [](const SideFeatures&, const std::optional<SideFeatures>&) {
            return std::optional<SidePrediction>(confidentLeft);
        });
    const auto firm = firmSaying(confidentRight);
    const auto decide = [&](double peak, const std::optional<FirmSideModel>& firmModel) {
        return decideSide(signatureWith(0.02), std::nullopt, peak, config, firmModel, light);
    };
    EXPECT_EQ(decide(0.08, firm).model, "lekki");
    EXPECT_EQ(decide(0.08, firm).side, Side::left);
    EXPECT_EQ(decide(0.1, firm).model, "główny");
    EXPECT_EQ(decide(0.1, firm).side, Side::right);
    EXPECT_EQ(decide(0.1, std::nullopt).model, "heurystyka");
    // That the accent picks the drum, never the model: Session.FastTriggerNeverSoundsATapTwice.
}

TEST(SideDecision, ConsultedModelIsNeverOverruledAndInversionComesAfterIt) {
    DetectorConfig config;
    const auto decide = [&](std::optional<SidePrediction> answer) {
        return decideSide(signatureWith(0.02), std::nullopt, 0.3, config, firmSaying(answer), std::nullopt);
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
    // Outside the model's support a side is never confident, whatever else it says.
    EXPECT_FALSE(decide(SidePrediction{Side::left, 0.79, true, true}).sideReliable);

    config.invertSides = true;
    EXPECT_EQ(decide(confidentLeft).side, Side::right);
    EXPECT_EQ(decide(confidentLeft).drum, Drum::snare);

    // The light model may see the impulse signature; a tap without one still reaches it.
    std::optional<SideFeatures> seen;
    const std::optional<LightSideModel> light = LightSideModel(
        0.2, [&](const SideFeatures&, const std::optional<SideFeatures>& impulse) {
            seen = impulse;
            return std::optional<SidePrediction>(confidentRight);
        });
    const SideFeatures impulse{std::vector<double>(8, -1.0), true};
    config = DetectorConfig{};
    decideSide(signatureWith(-0.02), impulse, 0.1, config, std::nullopt, light);
    EXPECT_EQ(seen, impulse);
    const SideDecision noImpulse = decideSide(signatureWith(-0.02), std::nullopt, 0.1, config, std::nullopt, light);
    EXPECT_EQ(noImpulse.side, Side::right);
    EXPECT_EQ(noImpulse.model, "lekki");
}

TEST(HitRules, DrumTableAndVelocityCurve) {
    EXPECT_EQ(drumFor(Side::left, 0.159, 0.16), Drum::kick);
    EXPECT_EQ(drumFor(Side::left, 0.16, 0.16), Drum::tom);
    EXPECT_EQ(drumFor(Side::right, 0.159, 0.16), Drum::hihat);
    EXPECT_EQ(drumFor(Side::right, 0.16, 0.16), Drum::snare);

    EXPECT_FLOAT_EQ(tapVelocity(0.05, 0.05, 0.5), 0.15f);
    EXPECT_FLOAT_EQ(tapVelocity(0.04, 0.05, 0.5), 0.15f);
    EXPECT_FLOAT_EQ(tapVelocity(0.5, 0.05, 0.5), 1.0f);
    EXPECT_FLOAT_EQ(tapVelocity(3.0, 0.05, 0.5), 1.0f);
    // A capture threshold above the full velocity still gives 1 for strong taps.
    EXPECT_FLOAT_EQ(tapVelocity(0.3, 0.12, 0.1), 1.0f);
    EXPECT_LT(tapVelocity(0.2, 0.05, 0.5), tapVelocity(0.21, 0.05, 0.5));
}

}  // namespace
}  // namespace knockbox
