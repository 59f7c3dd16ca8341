// The detector on whole simulated recordings: every placed tap is found once,
// on its side and drum, and nothing else is.

#include <gtest/gtest.h>

#include <sstream>

#include "core/number_text.h"
#include "detection/tap_detector.h"
#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"

namespace knockbox {
namespace {

using simulation::IntendedHit;

// Every intended hit matched by exactly one hit within 6 ms, nothing more.
void expectHits(const std::vector<Hit>& hits, const std::vector<IntendedHit>& intended,
                const std::string& context) {
    ASSERT_EQ(hits.size(), intended.size()) << context;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        EXPECT_NEAR(hits[i].t, intended[i].t, 0.006) << context << " hit " << i;
        EXPECT_EQ(hits[i].side, intended[i].side) << context << " hit " << i;
        EXPECT_EQ(hits[i].drum, intended[i].drum) << context << " hit " << i;
        EXPECT_TRUE(hits[i].sideReliable) << context << " hit " << i;
    }
}

std::vector<Hit> detect(const std::vector<AccelSample>& samples, double warmUp = 0) {
    TapDetector detector;
    std::vector<Hit> hits;
    const double origin = samples.empty() ? 0 : samples.front().t;
    for (const AccelSample& sample : samples)
        if (auto hit = detector.process(sample, false, sample.t - origin >= warmUp)) hits.push_back(*hit);
    return hits;
}

TEST(SimulatedRecordings, EveryPlacedTapIsFoundOnceWithItsSideAndDrum) {
    for (std::string_view name : {"groove", "roll", "rebound", "gaps"}) {
        for (std::uint64_t seed = 1; seed <= 6; ++seed) {
            for (bool gyro : {true, false}) {
                const auto scene = simulation::scenario(name, seed, 0, gyro);
                ASSERT_TRUE(scene);
                const auto intended = simulation::intendedHits(*scene);
                ASSERT_GE(intended.size(), 8u);
                std::ostringstream context;
                context << name << " seed " << seed << (gyro ? " with" : " without") << " gyroscope";
                expectHits(detect(simulation::render(*scene)), intended, context.str());
            }
        }
    }
}

struct Example {
    const char* name;
    const char* scenario;
    std::uint64_t seed;
    bool gyro;
};

TEST(SimulatedRecordings, ExamplesReplayToTheirHitLists) {
    const std::filesystem::path folder = std::filesystem::path(KNOCKBOX_SOURCE_DIR) / "examples";
    for (const Example& example : {Example{"groove", "groove", 1, true},
                                   Example{"groove-no-gyro", "groove", 2, false},
                                   Example{"rolls", "roll", 3, true}}) {
        const std::string base = (folder / example.name).string();
        const Recording recording = readRecording(base + ".csv");
        const auto scene = simulation::scenario(example.scenario, example.seed, 0, example.gyro);
        const auto intended = simulation::intendedHits(*scene);
        // As the player plays them: nothing during the first 2 s.
        expectHits(detect(std::vector<AccelSample>(recording.begin(), recording.end()), 2.0), intended, example.name);
        // The files are what the simulator makes from their seeds, every time.
        EXPECT_EQ(test::readFile(base + ".csv"), recordingText(simulation::render(*scene))) << example.name;
        std::string hits = "t,side,drum\n";
        for (const IntendedHit& hit : intended)
            hits += fixed(hit.t, 9) + ',' + std::string(rawValue(hit.side)) + ',' + std::string(rawValue(hit.drum)) + '\n';
        EXPECT_EQ(test::readFile(base + ".hits.csv"), hits) << example.name;
    }
}

}  // namespace
}  // namespace knockbox
