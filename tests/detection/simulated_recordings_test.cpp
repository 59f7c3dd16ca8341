// The detector on whole simulated recordings: every placed tap is found once,
// on its side and drum, and nothing else is.

#include <gtest/gtest.h>

#include <cmath>
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

TEST(SimulatedRecordings, RestDriftAndSmallVibrationGiveNoHit) {
    for (std::string_view name : {"quiet", "drift", "typing"}) {
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            const auto scene = simulation::scenario(name, seed);
            ASSERT_TRUE(scene);
            EXPECT_TRUE(simulation::intendedHits(*scene).empty());
            EXPECT_TRUE(detect(simulation::render(*scene)).empty()) << name << " seed " << seed;
        }
    }
}

std::vector<IntendedHit> readHitList(const std::filesystem::path& path) {
    std::istringstream text(test::readFile(path));
    std::string line;
    std::getline(text, line);
    EXPECT_EQ(line, "t,side,drum");
    std::vector<IntendedHit> hits;
    while (std::getline(text, line)) {
        const auto first = line.find(','), second = line.rfind(',');
        IntendedHit hit;
        hit.t = parseNumber(line.substr(0, first)).value();
        hit.side = line.substr(first + 1, second - first - 1) == "left" ? Side::left : Side::right;
        hit.drum = parseDrum(line.substr(second + 1)).value();
        hits.push_back(hit);
    }
    return hits;
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
        const Recording recording = readRecording(folder / (std::string(example.name) + ".csv"));
        const std::vector<AccelSample> samples(recording.begin(), recording.end());
        const auto intended = readHitList(folder / (std::string(example.name) + ".hits.csv"));
        // As the player plays them: nothing during the first 2 s.
        expectHits(detect(samples, 2.0), intended, example.name);
        // The files are what the simulator makes from their seeds, every time.
        const auto scene = simulation::scenario(example.scenario, example.seed, 0, example.gyro);
        EXPECT_EQ(test::readFile(folder / (std::string(example.name) + ".csv")),
                  recordingText(simulation::render(*scene)))
            << example.name;
    }
}

}  // namespace
}  // namespace knockbox
