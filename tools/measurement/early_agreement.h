#pragma once
// How far the fast trigger's early decision agrees with the full attack
// window, on fixed-seed simulated recordings: grooves, rolls and calibration
// sessions (blocks of firm or of gentle taps on one side at a time), each
// with and without a gyroscope. Taps are judged by the heuristic alone, or by
// side profiles learned from calibration sessions of other seeds, the way a
// calibrated Mac judges them. Shared by tools/early_window_table and the
// detector's tests.

#include <string>
#include <vector>

#include "core/accel_sample.h"

namespace knockbox::measurement {

struct SimulatedRecording {
    std::string set;  // "groove", "roll", "calibration"
    bool gyro = true;
    std::vector<AccelSample> samples;
};

// The fixed measurement set, every recording with a 2 s warm-up before its taps.
std::vector<SimulatedRecording> measurementRecordings();

enum class SideModels { heuristic, learned };

// The early decisions of the taps set against their full-window hits. Side
// and drum agree when both decisions are sure of the same one, or both are
// unsure: an early decision unsure of its side plays nothing (the tap then
// sounds from the full window, late), so it never agrees with a sure one.
struct Agreement {
    int taps = 0;         // full-window hits, each paired with its early decision
    int sameSide = 0;
    int sameDrum = 0;
    int unsureEarly = 0;  // early side not reliable (or no early decision)
    int wrongSound = 0;   // sounded early, and the full window found another side or drum, or no sure side
    double medianVelocityError = 0;   // |early velocity − full velocity|
    double maximumVelocityError = 0;

    double sideShare() const { return taps ? static_cast<double>(sameSide) / taps : 0; }
    double drumShare() const { return taps ? static_cast<double>(sameDrum) / taps : 0; }
};

// The taps of `recordings`, each judged `window` seconds after its onset and
// at the end of its window, played as the session plays them (hits only after
// the warm-up). A full-window hit without an early decision counts as an
// unsure early decision with no loudness.
Agreement measureAgreement(const std::vector<SimulatedRecording>& recordings, double window,
                           SideModels models);

}  // namespace knockbox::measurement
