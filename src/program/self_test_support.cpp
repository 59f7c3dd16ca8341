#include "program/self_test_support.h"

#include <cmath>

#include "core/number_text.h"

namespace knockbox::selfcheck {
namespace {

constexpr double warmUp = 2.0;         // s: the player's, before any hit counts
constexpr double matchWindow = 0.01;   // s between a tap's start and its hit's onset
constexpr std::size_t shownProblems = 3;

std::string named(Side side, Drum drum) {
    return std::string(side == Side::left ? "L " : "R ") + std::string(rawValue(drum));
}

std::string at(double seconds) { return fixed(seconds, 3) + " s"; }

}  // namespace

Played play(const simulation::Scene& scene, TapDetector detector) {
    const std::vector<AccelSample> samples = simulation::render(scene);
    Played played;
    if (samples.empty()) return played;
    played.origin = samples.front().t;
    for (const AccelSample& sample : samples) {
        if (auto hit = detector.process(sample, false, sample.t - played.origin >= warmUp)) {
            played.hits.push_back(*hit);
            played.models.push_back(detector.selectedSideModel());
        }
    }
    return played;
}

std::vector<std::string> hitDifferences(const std::vector<Hit>& hits,
                                        const std::vector<simulation::IntendedHit>& intended, double origin) {
    std::vector<std::string> problems;
    std::vector<bool> matched(hits.size(), false);
    for (const simulation::IntendedHit& tap : intended) {
        std::vector<std::size_t> near;
        for (std::size_t i = 0; i < hits.size(); ++i)
            if (!matched[i] && std::abs(hits[i].t - tap.t) <= matchWindow) near.push_back(i);
        const std::string when = at(tap.t - origin);
        for (std::size_t i : near) matched[i] = true;
        if (near.empty()) {
            problems.push_back(when + " brak uderzenia");
        } else if (near.size() > 1) {
            problems.push_back(when + " wykryte " + std::to_string(near.size()) + " razy");
        } else if (const Hit& hit = hits[near.front()]; !hit.sideReliable) {
            problems.push_back(when + " niepewna strona");
        } else if (hit.side != tap.side || hit.drum != tap.drum) {
            problems.push_back(when + " " + named(hit.side, hit.drum) + " zamiast " + named(tap.side, tap.drum));
        }
    }
    for (std::size_t i = 0; i < hits.size(); ++i)
        if (!matched[i]) problems.push_back(at(hits[i].t - origin) + " uderzenie bez klepnięcia");
    return problems;
}

std::string listed(const std::vector<std::string>& problems) {
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < shownProblems; ++i) text += (i > 0 ? "; " : "") + problems[i];
    if (problems.size() > shownProblems) text += " (i jeszcze " + std::to_string(problems.size() - shownProblems) + ")";
    return text;
}

}  // namespace knockbox::selfcheck
