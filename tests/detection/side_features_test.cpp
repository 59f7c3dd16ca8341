#include "detection/side_features.h"

#include <gtest/gtest.h>

#include <cmath>

#include "detection/side_signature.h"

namespace knockbox {
namespace {

// Attack frames 1.25 ms apart from the side start with the given X values
// (Y and Z follow at half and a quarter of X).
std::vector<DetectorFrame> framesOf(const std::vector<double>& xs, double scale = 1.0) {
    std::vector<DetectorFrame> frames;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        DetectorFrame frame;
        frame.t = 10.0 + 0.00125 * static_cast<double>(i);
        frame.axes = {scale * xs[i], scale * 0.5 * xs[i], -scale * 0.25 * std::abs(xs[i])};
        frame.magnitude = std::sqrt(frame.axes[0] * frame.axes[0] + frame.axes[1] * frame.axes[1] +
                                    frame.axes[2] * frame.axes[2]);
        frame.raw.t = frame.t;
        frames.push_back(frame);
    }
    return frames;
}

constexpr Baseline noBaseline{};

TEST(SideSignature, FirstLobeKeepsItsSignAgainstALargerOppositeSwing) {
    const auto frames = framesOf({0.001, 0.01, 0.03, 0.02, 0.005, -0.001, -0.06, -0.09, -0.05, 0.04});
    const SideSignature signature = sideSignature(frames, noBaseline, 10.0, 0.0035, 0.1);
    EXPECT_NEAR(signature.lobeMean, (0.01 + 0.03 + 0.02 + 0.005) / 4, 1e-12);
    ASSERT_EQ(signature.features.values.size(), 8u);
    EXPECT_GT(signature.features.values[1], 0);  // the lobe's mean and peak keep its sign
    EXPECT_GT(signature.features.values[2], 0);
    EXPECT_FALSE(signature.features.gyroAvailable);
    EXPECT_EQ(signature.features.values[3], 0);
}

TEST(SideSignature, LobeNeedsTwoStrongSameSignedValuesAndSkipsSmallDips) {
    // A single strong value does not start a lobe; a dip above -thr does not end one.
    const auto frames = framesOf({-0.02, 0.004, -0.01, -0.02, 0.001, -0.03, 0.02});
    const SideSignature signature = sideSignature(frames, noBaseline, 10.0, 0.0035, 0.1);
    EXPECT_NEAR(signature.lobeMean, (-0.01 - 0.02 - 0.03) / 3, 1e-12);

    // No lobe at all: both lobe values fall back to the weighted mean X.
    const auto flat = framesOf({0.001, -0.001, 0.002, 0.001});
    const SideSignature none = sideSignature(flat, noBaseline, 10.0, 0.0035, 0.1);
    EXPECT_EQ(none.lobeMean, none.meanX);
    EXPECT_EQ(none.features.values[1], none.features.values[0]);
    EXPECT_EQ(none.features.values[2], none.features.values[0]);
}

TEST(SideSignature, StrengthDoesNotChangeTheNormalisedValues) {
    const std::vector<double> xs{0.004, 0.02, 0.035, 0.03, 0.01, -0.02, -0.04, -0.03, 0.0, 0.02};
    const SideSignature gentle = sideSignature(framesOf(xs), noBaseline, 10.0, 0.0035, 0.05);
    const SideSignature firm = sideSignature(framesOf(xs, 3.0), noBaseline, 10.0, 0.0035, 0.15);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(gentle.features.values[i], firm.features.values[i], 1e-12) << i;
}

TEST(SideSignature, BaselineAndGyroscopeEnterTheSignature) {
    auto frames = framesOf({0.01, 0.02, 0.03, 0.02, 0.01, 0.0});
    for (std::size_t i = 0; i < frames.size(); i += 2)
        frames[i].raw.gyro = GyroSample{frames[i].t, 1.0, 2.0 - static_cast<double>(i), 3.0};
    const Baseline baseline{0.005, 0, 0, 1.0, 0.5, 3.0};
    const SideSignature signature = sideSignature(frames, baseline, 10.0, 0.0035, 0.1);
    EXPECT_TRUE(signature.features.gyroAvailable);
    EXPECT_NEAR(signature.lobeMean, (0.005 + 0.015 + 0.025 + 0.015 + 0.005) / 5, 1e-12);
    // Gyroscope deviations from the baseline: x 0, y 1.5, -0.5, -2.5, z 0.
    EXPECT_LT(signature.features.values[4], 0);  // the Y extreme
    EXPECT_EQ(signature.features.values[5], 0);
    EXPECT_EQ(signature.features.values[7], 0);
    EXPECT_GT(signature.features.values[3], 0);  // the early frames weigh most; a plain mean is negative

    frames[0].raw.gyro.reset();
    frames[2].raw.gyro.reset();
    EXPECT_FALSE(sideSignature(frames, baseline, 10.0, 0.0035, 0.1).features.gyroAvailable);
}

TEST(ImpulseSignature, SignOfTheFirstImpulseAndTheSixFrameRule) {
    const auto frames = framesOf({-0.002, -0.03, -0.05, -0.02, 0.02, 0.03, 0.01, -0.01});
    const std::optional<SideFeatures> impulse = attackImpulse(frames, noBaseline);
    ASSERT_TRUE(impulse);
    EXPECT_EQ(impulse->values.size(), 8u);
    EXPECT_TRUE(impulse->gyroAvailable);
    EXPECT_LT(impulse->values[0], 0);  // Sx: the first X impulse is negative

    EXPECT_FALSE(attackImpulse(std::span(frames).first(5), noBaseline));
    EXPECT_TRUE(attackImpulse(std::span(frames).first(6), noBaseline));
    EXPECT_FALSE(attackImpulse(framesOf(std::vector<double>(8, 0.0)), noBaseline));

    const std::vector<double> times{0, 0.001, 0.002, 0.003, 0.004, 0.005};
    EXPECT_FALSE(impulseFeatures(times, std::vector<Axes>(5, Axes{0.1, 0, 0})));
}

}  // namespace
}  // namespace knockbox
