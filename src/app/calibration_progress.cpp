#include "app/calibration_progress.h"

namespace knockbox {

void CalibrationProgress::apply(const PlayerEvent& event) {
    if (const auto* calibration = std::get_if<CalibrationEvent>(&event)) {
        const CalibrationUIState& state = calibration->state;
        calibrationPhase = state.stage;
        calibrationTotal = state.total;
        blockTarget = verifying() ? 3 : 4;
        leftCount = state.leftCount;
        rightCount = state.rightCount;
        blockRemaining = state.blockRemaining;
        // Between blocks no side is highlighted.
        targetSide = state.collecting ? state.target : std::nullopt;
    } else if (const auto* prompt = std::get_if<SideEvent>(&event)) {
        // The verification phase counts from zero.
        if (verifying() != prompt->verification) leftCount = rightCount = 0;
        calibrationPhase = prompt->verification ? verificationStage : trainingStage;
        targetSide = prompt->side;
        blockTarget = prompt->count;
        calibrationTotal = prompt->verification || prompt->count != 4 ? prompt->count : 8;
    } else if (const auto* progress = std::get_if<ProgressEvent>(&event)) {
        calibrationTotal = progress->total;
        (progress->side == Side::left ? leftCount : rightCount) = progress->n;
    } else if (std::holds_alternative<PauseEvent>(event)) {
        targetSide.reset();
    } else if (std::holds_alternative<RetryEvent>(event)) {
        targetSide.reset();
        leftCount = rightCount = 0;
        calibrationPhase = trainingStage;
        calibrationTotal = 8;
    }
}

}  // namespace knockbox
