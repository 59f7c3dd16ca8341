// Self-test, detector: simulated recordings made in-process, played through
// the tap detector as the player plays them (nothing counts in the first 2 s).
// Every placed tap must come out once with its side and drum; rest and
// typing-like vibration give nothing; a gap in the stream abandons the tap it
// cuts and detection starts afresh.

#include <string>

#include "program/self_test.h"
#include "program/self_test_support.h"
#include "simulation/tap_simulation.h"

namespace knockbox::selfcheck {
namespace {

using simulation::IntendedHit;
using simulation::Scene;

constexpr std::uint64_t seed = 17;

SelfCheck placedTaps(const std::string& name, const Scene& scene, std::vector<IntendedHit> intended,
                     const std::string& passed) {
    const Played played = play(scene);
    const auto problems = hitDifferences(played.hits, intended, played.origin);
    if (problems.empty()) return {true, name + ": " + passed};
    return {false, name + ": " + listed(problems)};
}

SelfCheck everyTapOnce(const std::string& name, const Scene& scene) {
    const auto intended = simulation::intendedHits(scene);
    return placedTaps(name, scene, intended,
                      std::to_string(intended.size()) + " klepnięć, każde wykryte raz, z właściwą stroną i bębnem");
}

SelfCheck nothing(const std::string& name, const Scene& scene) {
    return placedTaps(name, scene, {}, "brak uderzeń");
}

// Four taps; the second one's attack window is cut by 0.3 s without samples.
SelfCheck gapResets() {
    using simulation::Strength;
    Scene scene;
    scene.seed = seed;
    scene.duration = 4.6;
    scene.taps = {{2.5, Side::left, Strength::firm, 0.3},
                  {3.0, Side::right, Strength::firm, 0.3},
                  {3.6, Side::left, Strength::gentle, 0.1},
                  {4.0, Side::right, Strength::gentle, 0.1}};
    scene.gaps = {{3.004, 0.3}};
    std::vector<IntendedHit> intended = simulation::intendedHits(scene);
    intended.erase(intended.begin() + 1);
    return placedTaps("przerwa 0.3 s w klepnięciu", scene, intended,
                      "to klepnięcie porzucone, detektor zaczyna od nowa, 3 pozostałe wykryte z właściwą stroną "
                      "i bębnem");
}

}  // namespace

std::vector<SelfCheck> detector() {
    return {
        everyTapOnce("groove", *simulation::scenario("groove", seed)),
        everyTapOnce("roll bez żyroskopu", *simulation::scenario("roll", seed, 0, false)),
        everyTapOnce("rebound", *simulation::scenario("rebound", seed)),
        nothing("spokój", *simulation::scenario("quiet", seed)),
        nothing("drgania jak przy pisaniu", *simulation::scenario("typing", seed, 6)),
        gapResets(),
    };
}

}  // namespace knockbox::selfcheck
