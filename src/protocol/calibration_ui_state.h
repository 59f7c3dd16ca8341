#pragma once
// The calibration progress that the player prints after "CALIBRATION " as one
// JSON object, and that the app reads back to draw the progress.

#include <optional>
#include <string>
#include <string_view>

#include "core/side.h"

namespace knockbox {

struct CalibrationUIState {
    std::string stage;           // "Trening" (training) or "Weryfikacja" (verification)
    std::optional<Side> target;  // the side to tap; absent between blocks
    int leftCount = 0;           // taps collected on each side in this stage
    int rightCount = 0;
    int total = 0;               // taps required per side: 8 in training, 3 in verification
    int blockRemaining = 0;      // taps still missing in the open block (0 to 4)
    bool collecting = false;     // a block is open and taps are counted

    friend bool operator==(const CalibrationUIState&, const CalibrationUIState&) = default;
};

inline constexpr std::string_view trainingStage = "Trening";
inline constexpr std::string_view verificationStage = "Weryfikacja";

// One line of JSON with the keys "stage", "target" (left out when absent),
// "leftCount", "rightCount", "total", "blockRemaining" and "collecting".
std::string encode(const CalibrationUIState& state);

// The record from such an object: the six keys other than "target" are
// required with their JSON types (integers for the counts); "target" may be
// missing or null (absent), else "left" or "right"; other keys are ignored.
// Anything else gives nothing.
std::optional<CalibrationUIState> decodeCalibrationUIState(std::string_view json);

// What the app accepts: a known stage with its total, counts within the
// total, at most 4 taps left in a block.
bool isAccepted(const CalibrationUIState& state);

}  // namespace knockbox
