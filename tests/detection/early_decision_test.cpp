// The fast trigger's early decision: the same judgement as the hit's, taken
// on the first frames of the window, and close enough to it on simulated
// recordings.
#include <gtest/gtest.h>

#include <sstream>

#include "detection/tap_detector.h"
#include "measurement/early_agreement.h"
#include "simulation/tap_simulation.h"

namespace knockbox {
namespace {

struct Fed {
    std::vector<Hit> hits;
    std::vector<double> hitAt;  // time of the sample that returned the hit
    std::vector<EarlyDecision> early;
    std::vector<double> earlyAt, beforeEarly;  // the deciding sample's time, and the one before it
};

Fed feed(TapDetector& detector, const std::vector<AccelSample>& samples) {
    Fed fed;
    double previous = -1;
    for (const AccelSample& sample : samples) {
        auto hit = detector.process(sample, false, true);
        if (auto early = detector.takeEarlyDecision()) {
            fed.early.push_back(std::move(*early));
            fed.earlyAt.push_back(sample.t);
            fed.beforeEarly.push_back(previous);
            EXPECT_FALSE(detector.takeEarlyDecision()) << "taking it leaves none";
        }
        if (hit) {
            fed.hits.push_back(std::move(*hit));
            fed.hitAt.push_back(sample.t);
        }
        previous = sample.t;
    }
    return fed;
}

std::vector<std::pair<std::string, std::vector<AccelSample>>> recordings() {
    std::vector<std::pair<std::string, std::vector<AccelSample>>> result;
    for (const char* name : {"groove", "roll", "rebound"})
        for (std::uint64_t seed = 1; seed <= 2; ++seed)
            for (bool gyro : {true, false}) {
                std::ostringstream label;
                label << name << " seed " << seed << (gyro ? "" : " without gyroscope");
                result.emplace_back(label.str(), simulation::render(*simulation::scenario(name, seed, 0, gyro)));
            }
    return result;
}

// The early decision runs the hit's own judgement: taken at the end of the
// window it is the hit, value for value; taken earlier it comes once per tap,
// between the trigger's earliest time and the first sample at or past its
// latest, says when, and changes no hit. (That it asks the side models as the
// hit does, and waits for them: Session.FastTriggerNeverSoundsATapTwice.)
TEST(EarlyDecision, AtTheWholeWindowItIsTheHitAndEarlierItChangesNoHit) {
    for (const auto& [context, samples] : recordings()) {
        TapDetector plain, whole, fast;
        whole.setEarlyTrigger(fixedEarlyTrigger(0.034));
        fast.setEarlyTrigger(fastTriggerRule);
        const Fed expected = feed(plain, samples), atEnd = feed(whole, samples), early = feed(fast, samples);
        ASSERT_FALSE(expected.hits.empty()) << context;
        EXPECT_TRUE(expected.early.empty()) << context << ": no early window, no early decision";

        ASSERT_EQ(atEnd.early.size(), expected.hits.size()) << context;
        EXPECT_EQ(atEnd.hits, expected.hits) << context;
        for (std::size_t i = 0; i < expected.hits.size(); ++i) {
            EXPECT_EQ(atEnd.early[i].hit, expected.hits[i]) << context << " tap " << i;
            EXPECT_EQ(atEnd.earlyAt[i], expected.hitAt[i]) << context << " tap " << i;
        }

        EXPECT_EQ(early.hits, expected.hits) << context;
        ASSERT_EQ(early.early.size(), expected.hits.size()) << context;
        for (std::size_t i = 0; i < expected.hits.size(); ++i) {
            const double onset = expected.hits[i].t;
            EXPECT_EQ(early.early[i].hit.t, onset) << context << " tap " << i;
            EXPECT_EQ(early.early[i].after, early.earlyAt[i] - onset) << context << " tap " << i;
            EXPECT_GE(early.earlyAt[i] - onset, fastTriggerRule.earliest) << context << " tap " << i;
            EXPECT_LT(early.beforeEarly[i] - onset, fastTriggerRule.latest) << context << " tap " << i;
        }
    }
}

TEST(EarlyDecision, ADroppedCaptureKeepsItsEarlyDecisionButGivesNoHit) {
    const simulation::Scene scene{.duration = 1.5, .taps = {{1.0, Side::right, simulation::Strength::firm, 0.3, 0, 0}}};
    TapDetector detector;
    detector.setEarlyTrigger(fastTriggerRule);
    std::optional<double> onset;
    int early = 0, hits = 0;
    for (const AccelSample& sample : simulation::render(scene)) {
        // A key goes down 20 ms into the tap: after the early decision, before the hit.
        const bool typing = onset && sample.t - *onset >= 0.02;
        hits += detector.process(sample, typing, true).has_value();
        if (detector.capturing() && !onset) onset = sample.t;
        early += detector.takeEarlyDecision().has_value();
    }
    EXPECT_EQ(early, 1);
    EXPECT_EQ(hits, 0);
}

// The rule is chosen as the one whose decisions come soonest while, on the
// simulator's grooves, rolls and calibration sessions (tools/early_window_table
// prints the whole table), the early side and drum agree with the full
// window's on at least 97 % of the taps and the median velocity error stays
// within 0.05, with the heuristic and with learned side profiles alike; and
// while on taps whose peak comes late the heuristic waits for the peak and
// sounds no other drum than the full window.
TEST(EarlyDecision, AgreesWithTheFullWindowOnSimulatedRecordings) {
    using namespace measurement;
    const std::vector<SimulatedRecording> all = measurementRecordings();
    for (SideModels models : {SideModels::heuristic, SideModels::learned}) {
        const Agreement agreement = measureAgreement(all, fastTriggerRule, models);
        const char* name = models == SideModels::heuristic ? "heuristic" : "learned profiles";
        EXPECT_GE(agreement.taps, 500) << name;
        EXPECT_GE(agreement.sideShare(), 0.97) << name;
        EXPECT_GE(agreement.drumShare(), 0.97) << name;
        EXPECT_LE(agreement.medianVelocityError, 0.05) << name;
        // Sooner than the 8 ms the trigger used to wait for every tap.
        EXPECT_LT(agreement.medianDecision, models == SideModels::heuristic ? 0.005 : 0.008) << name;
    }
    const Agreement late = measureAgreement(measurementRecordings(MeasurementSet::latePeaks), fastTriggerRule,
                                            SideModels::heuristic);
    EXPECT_EQ(late.wrongSound, 0);
    EXPECT_GE(late.medianDecision, 0.005);
}

}  // namespace
}  // namespace knockbox
