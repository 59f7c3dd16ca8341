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
#include "detection/early_trigger.h"

namespace knockbox::measurement {

struct SimulatedRecording {
    std::string set;  // "groove", "roll", "calibration", "late peak"
    bool gyro = true;
    std::vector<AccelSample> samples;
};

// Grooves, rolls and calibration sessions from two fixed sets of seeds: the
// one the fast trigger's rule was chosen on, and a second one that played no
// part in the choice. And taps whose magnitude still grows after the first
// milliseconds, as a slowly rising tap's would (each with a second, larger
// knock of the hand 2–4 ms in), from seeds of their own.
enum class MeasurementSet { choosing, checking, latePeaks };

// A fixed measurement set, every recording with a 2 s warm-up before its taps.
std::vector<SimulatedRecording> measurementRecordings(MeasurementSet set = MeasurementSet::choosing);

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
    double medianDecision = 0;        // s from the onset to the early decision
    double ninetiethDecision = 0;     // s: nine in ten early decisions come by then

    double sideShare() const { return taps ? static_cast<double>(sameSide) / taps : 0; }
    double drumShare() const { return taps ? static_cast<double>(sameDrum) / taps : 0; }
};

// The taps of `recordings`, each decided early by `trigger` and at the end of
// its window, played as the session plays them (hits only after the warm-up).
// A full-window hit without an early decision counts as an unsure early
// decision with no loudness and no decision time.
Agreement measureAgreement(const std::vector<SimulatedRecording>& recordings, const EarlyTrigger& trigger,
                           SideModels models);

}  // namespace knockbox::measurement
