#pragma once
// Onboarding: a firm-tap calibration, then a gentle-tap one (or one of them
// alone), each a player run whose calibration lines move the progress shown
// to the user.

#include <optional>
#include <string>

#include "core/side.h"
#include "protocol/player_event.h"

namespace knockbox {

enum class OnboardingStage {
    welcome,  // introduction; nothing runs
    strong,   // the firm-tap calibration runs or has just failed
    between,  // firm profile saved; the gentle taps are next
    light,    // the gentle-tap calibration runs or has just failed
    done,     // the profiles of the chosen steps saved
};

// Which calibrations an onboarding runs: both, or one of them redone alone.
enum class CalibrationSteps { firmAndLight, firm, light };

// What the onboarding shows of a running calibration. A new calibration
// starts from the default value.
struct CalibrationProgress {
    std::optional<Side> targetSide;  // the side to tap now; absent between blocks
    int leftCount = 0;               // taps counted on each side in this phase
    int rightCount = 0;
    int blockTarget = 4;             // taps per block
    int calibrationTotal = 8;        // taps required per side in this phase
    int blockRemaining = 4;          // taps missing in the current block
    std::string calibrationPhase{trainingStage};

    bool verifying() const { return calibrationPhase == verificationStage; }

    // Follows the calibration lines (calibration state, side prompt, progress,
    // pause, retry); every other event leaves the progress as it is.
    void apply(const PlayerEvent& event);

    friend bool operator==(const CalibrationProgress&, const CalibrationProgress&) = default;
};

}  // namespace knockbox
