#include "measurement/early_agreement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>

#include "detection/tap_detector.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"
#include "simulation/tap_simulation.h"

namespace knockbox::measurement {
namespace {

using simulation::Strength;

constexpr double warmUp = 2.0;        // s, as the play session
constexpr int measuredSeeds = 6;      // grooves and rolls
constexpr int calibrationSeeds = 3;   // measured calibration sessions of each strength
constexpr std::uint64_t checkingSeeds = 11;  // the second set's first seed
constexpr std::uint64_t latePeakSeeds = 21;
constexpr int latePeakSessions = 3;
constexpr int latePeakTaps = 24;
constexpr std::uint64_t trainingSeed = 101;  // the sessions the profiles learn from
const char* const hardware = "Simulated1,1";

// A calibration session as the guided calibration asks for it: blocks of
// taps on one side about half a second apart, a pause between blocks; two
// training blocks of four and one check block of three per side.
simulation::Scene calibrationSession(std::uint64_t seed, Strength strength, bool gyro) {
    const double low = strength == Strength::firm ? simulation::firmLow : simulation::gentleLow;
    const double high = strength == Strength::firm ? simulation::firmHigh : simulation::gentleHigh;
    simulation::Scene scene;
    scene.seed = seed;
    scene.gyro = gyro;
    double time = 2.5;
    int index = 0;
    for (int block = 0; block < 6; ++block) {
        const Side side = block % 2 == 0 ? Side::left : Side::right;
        const int taps = block < 4 ? 4 : 3;
        for (int i = 0; i < taps; ++i, ++index, time += 0.5) {
            const double spread = static_cast<double>((index * 7 + static_cast<int>(seed)) % 10) / 9.0;
            scene.taps.push_back({time, side, strength, low + (high - low) * spread, 0, 0});
        }
        time += 1.2;
    }
    scene.duration = time + 0.2;
    return scene;
}

// Taps whose magnitude still grows after the first milliseconds: each with a
// second, larger knock of the hand 2–4 ms in. Gentle and firm taps on
// alternating sides, half a second apart.
simulation::Scene latePeaks(std::uint64_t seed, bool gyro) {
    simulation::Scene scene;
    scene.seed = seed;
    scene.gyro = gyro;
    double time = 2.5;
    for (int index = 0; index < latePeakTaps; ++index, time += 0.5) {
        const Side side = index % 2 == 0 ? Side::left : Side::right;
        const Strength strength = index % 4 < 2 ? Strength::gentle : Strength::firm;
        const double low = strength == Strength::firm ? simulation::firmLow : simulation::gentleLow;
        const double high = strength == Strength::firm ? simulation::firmHigh : simulation::gentleHigh;
        const double spread = static_cast<double>((index * 7 + static_cast<int>(seed)) % 10) / 9.0;
        const double other = static_cast<double>((index * 3 + static_cast<int>(seed)) % 10) / 9.0;
        scene.taps.push_back({time, side, strength, low + (high - low) * spread, 0.002 + 0.002 * other, 1 + 2 * spread});
    }
    scene.duration = time + 0.2;
    return scene;
}

struct Taps {
    std::vector<Hit> hits;
    std::vector<EarlyDecision> early;
};

Taps detect(const std::vector<AccelSample>& samples, TapDetector& detector) {
    Taps taps;
    if (samples.empty()) return taps;
    const double origin = samples.front().t;
    for (const AccelSample& sample : samples) {
        std::optional<Hit> hit = detector.process(sample, false, sample.t - origin >= warmUp);
        if (auto early = detector.takeEarlyDecision()) taps.early.push_back(std::move(*early));
        if (hit) taps.hits.push_back(std::move(*hit));
    }
    return taps;
}

// The side signatures of a calibration session's taps, by side, in the order
// the calibration collects them (training taps first).
struct Labelled {
    std::vector<SideFeatures> left, right, leftImpulse, rightImpulse;
};

Labelled labelledTaps(const simulation::Scene& scene) {
    TapDetector detector;
    const Taps taps = detect(simulation::render(scene), detector);
    const auto intended = simulation::intendedHits(scene);
    if (taps.hits.size() != intended.size()) throw std::runtime_error("a calibration tap was not detected");
    Labelled labelled;
    for (std::size_t i = 0; i < taps.hits.size(); ++i) {
        const Hit& hit = taps.hits[i];
        const bool left = intended[i].side == Side::left;
        (left ? labelled.left : labelled.right).push_back(hit.features);
        if (hit.impulse) (left ? labelled.leftImpulse : labelled.rightImpulse).push_back(*hit.impulse);
    }
    return labelled;
}

std::span<const SideFeatures> training(const std::vector<SideFeatures>& taps) {
    return std::span(taps).first(std::min<std::size_t>(taps.size(), 8));
}

struct Profiles {
    SideProfile firm;
    LightSideProfile light;
};

// What the firm and the light calibration would save on this Mac.
Profiles learnedProfiles(bool gyro) {
    const Labelled firm = labelledTaps(calibrationSession(trainingSeed, Strength::firm, gyro));
    const Labelled gentle = labelledTaps(calibrationSession(trainingSeed + 1, Strength::gentle, gyro));
    SideProfile firmProfile = SideProfile::train(training(firm.left), training(firm.right), hardware);
    SideProfile gentleProfile = SideProfile::train(training(gentle.left), training(gentle.right), hardware);
    SideProfile impulseProfile =
        SideProfile::train(training(gentle.leftImpulse), training(gentle.rightImpulse), hardware);
    return {std::move(firmProfile),
            LightSideProfile(std::move(gentleProfile), std::move(impulseProfile), DetectorConfig{}.accent)};
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The value nine in ten lie at or below (nearest rank).
double ninetieth(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[(values.size() * 9 + 9) / 10 - 1];  // rank ceil(0.9 n), from 1
}

}  // namespace

std::vector<SimulatedRecording> measurementRecordings(MeasurementSet set) {
    std::vector<SimulatedRecording> recordings;
    for (bool gyro : {true, false}) {
        if (set == MeasurementSet::latePeaks) {
            for (std::uint64_t seed = latePeakSeeds; seed < latePeakSeeds + latePeakSessions; ++seed)
                recordings.push_back({"late peak", gyro, simulation::render(latePeaks(seed, gyro))});
            continue;
        }
        const std::uint64_t first = set == MeasurementSet::choosing ? 1 : checkingSeeds;
        for (const char* name : {"groove", "roll"})
            for (std::uint64_t seed = first; seed < first + measuredSeeds; ++seed)
                recordings.push_back({name, gyro, simulation::render(*simulation::scenario(name, seed, 0, gyro))});
        for (Strength strength : {Strength::firm, Strength::gentle})
            for (std::uint64_t seed = first; seed < first + calibrationSeeds; ++seed)
                recordings.push_back({"calibration", gyro, simulation::render(calibrationSession(seed, strength, gyro))});
    }
    return recordings;
}

Agreement measureAgreement(const std::vector<SimulatedRecording>& recordings, const EarlyTrigger& trigger,
                           SideModels models) {
    std::optional<Profiles> withGyro, withoutGyro;
    if (models == SideModels::learned) {
        withGyro = learnedProfiles(true);
        withoutGyro = learnedProfiles(false);
    }
    Agreement agreement;
    std::vector<double> velocityErrors, decisions;
    for (const SimulatedRecording& recording : recordings) {
        TapDetector detector;
        detector.setEarlyTrigger(trigger);
        if (models == SideModels::learned) {
            const Profiles& profiles = recording.gyro ? *withGyro : *withoutGyro;
            detector.setSideProfile(profiles.firm);
            detector.setLightSideProfile(profiles.light);
        }
        const Taps taps = detect(recording.samples, detector);
        for (const Hit& hit : taps.hits) {
            ++agreement.taps;
            const auto early = std::find_if(taps.early.begin(), taps.early.end(),
                                            [&](const EarlyDecision& decision) { return decision.hit.t == hit.t; });
            if (early == taps.early.end()) {
                ++agreement.unsureEarly;
                velocityErrors.push_back(hit.velocity);
                continue;
            }
            decisions.push_back(early->after);
            const Hit& first = early->hit;
            const bool bothSure = first.sideReliable && hit.sideReliable;
            const bool bothUnsure = !first.sideReliable && !hit.sideReliable;
            agreement.sameSide += bothUnsure || (bothSure && first.side == hit.side);
            agreement.sameDrum += bothUnsure || (bothSure && first.drum == hit.drum);
            if (!first.sideReliable) ++agreement.unsureEarly;
            else if (!hit.sideReliable || first.side != hit.side || first.drum != hit.drum) ++agreement.wrongSound;
            velocityErrors.push_back(std::abs(static_cast<double>(first.velocity) - hit.velocity));
        }
    }
    agreement.medianVelocityError = median(velocityErrors);
    agreement.medianDecision = median(decisions);
    agreement.ninetiethDecision = ninetieth(decisions);
    if (!velocityErrors.empty())
        agreement.maximumVelocityError = *std::max_element(velocityErrors.begin(), velocityErrors.end());
    return agreement;
}

}  // namespace knockbox::measurement
