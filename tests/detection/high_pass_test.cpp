#include "detection/high_pass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace knockbox {
namespace {

TEST(HighPass, CoefficientsAreTheCookbookTenHertzSection) {
    const double w0 = 2 * std::numbers::pi * 10 / 800;
    const double alpha = std::sin(w0) / (2 * 0.7071);
    const double a0 = 1 + alpha;
    const HighPass filter;
    EXPECT_NEAR(filter.b0, (1 + std::cos(w0)) / 2 / a0, 1e-15);
    EXPECT_NEAR(filter.b1, -(1 + std::cos(w0)) / a0, 1e-15);
    EXPECT_NEAR(filter.b2, filter.b0, 0);
    EXPECT_NEAR(filter.a1, -2 * std::cos(w0) / a0, 1e-15);
    EXPECT_NEAR(filter.a2, (1 - alpha) / a0, 1e-15);
    EXPECT_EQ(filter.d1, 0);
    EXPECT_EQ(filter.d2, 0);
}

// Amplitude gain from the RMS of one settled second (whole periods for these frequencies).
double gainAt(double frequency) {
    HighPass filter;
    double energy = 0;
    for (int n = 0; n < 1600; ++n) {
        const double out = filter.process(std::sin(2 * std::numbers::pi * frequency * n / 800));
        if (n >= 800) energy += out * out;
    }
    return std::sqrt(2 * energy / 800);
}

TEST(HighPass, BlocksGravityAndPassesTheTapBand) {
    HighPass filter;
    double out = 1;
    for (int n = 0; n < 800; ++n) out = filter.process(1.0);  // a step of 1 g
    EXPECT_LT(std::abs(out), 1e-6);
    EXPECT_LT(gainAt(1), 0.02);
    EXPECT_NEAR(gainAt(10), std::sqrt(0.5), 0.01);  // -3 dB at the cutoff
    EXPECT_NEAR(gainAt(80), 1.0, 0.01);
}

}  // namespace
}  // namespace knockbox
