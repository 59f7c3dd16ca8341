#include "support/side_signatures.h"

#include <gtest/gtest.h>

#include "detection/tap_detector.h"

namespace knockbox::test {

std::vector<SideFeatures> SideSet::impulseFeatures() const {
    std::vector<SideFeatures> list;
    for (const auto& impulse : impulses) list.push_back(impulse.value());
    return list;
}

SignatureSet simulatedSignatures(std::uint64_t seed, int perSide, simulation::Strength strength, bool gyro,
                                 bool sameSide) {
    using simulation::Strength;
    const double low = strength == Strength::firm ? simulation::firmLow : simulation::gentleLow;
    const double high = strength == Strength::firm ? simulation::firmHigh : simulation::gentleHigh;
    simulation::Scene scene;
    scene.seed = seed;
    scene.gyro = gyro;
    const int count = 2 * perSide;
    scene.duration = 2.5 + 0.35 * count + 0.4;
    for (int i = 0; i < count; ++i) {
        const Side side = i % 2 == 0 ? Side::left : Side::right;
        const double amplitude = low + (high - low) * static_cast<double>((i * 7 + static_cast<int>(seed)) % 10) / 9.0;
        scene.taps.push_back({2.5 + 0.35 * i, sameSide ? Side::right : side, strength, amplitude, 0, 0});
    }

    TapDetector detector;
    std::vector<Hit> hits;
    const auto samples = simulation::render(scene);
    for (const AccelSample& sample : samples)
        if (auto hit = detector.process(sample, false, sample.t - samples.front().t >= 2.0)) hits.push_back(*hit);
    EXPECT_EQ(hits.size(), static_cast<std::size_t>(count)) << "seed " << seed;

    SignatureSet set;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        SideSet& side = i % 2 == 0 ? set.left : set.right;
        side.features.push_back(hits[i].features);
        side.impulses.push_back(hits[i].impulse);
    }
    return set;
}

}  // namespace knockbox::test
