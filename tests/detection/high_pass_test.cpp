#include "detection/high_pass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace knockbox {
namespace {

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
    EXPECT_NEAR(gainAt(10), 0.7071, 1e-6);  // at the 10 Hz cutoff a cookbook high-pass passes Q, 0.7071
    EXPECT_NEAR(gainAt(80), 1.0, 0.01);
}

}  // namespace
}  // namespace knockbox
