#include "app/calibration_progress.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

// One calibration run, step by step: each event and the progress after it.
TEST(CalibrationProgress, FollowsTheCalibrationLines) {
    struct Step {
        const char* what;
        PlayerEvent event;
        CalibrationProgress after;
    };
    // Fields: targetSide, leftCount, rightCount, blockTarget, calibrationTotal, blockRemaining, phase.
    const Step steps[] = {
        {"training prompt", SideEvent{Side::left, 4, false}, {Side::left, 0, 0, 4, 8, 4, "Trening"}},
        {"counted tap", ProgressEvent{Side::left, 2, 8}, {Side::left, 2, 0, 4, 8, 4, "Trening"}},
        {"full state", CalibrationEvent{{"Trening", Side::left, 4, 1, 8, 3, true}},
         {Side::left, 4, 1, 4, 8, 3, "Trening"}},
        {"between blocks", CalibrationEvent{{"Trening", Side::right, 4, 1, 8, 0, false}},
         {std::nullopt, 4, 1, 4, 8, 0, "Trening"}},
        {"block prompt", SideEvent{Side::right, 4, false}, {Side::right, 4, 1, 4, 8, 0, "Trening"}},
        {"pause keeps the counts", PauseEvent{}, {std::nullopt, 4, 1, 4, 8, 0, "Trening"}},
        {"verification counts from zero", SideEvent{Side::left, 3, true}, {Side::left, 0, 0, 3, 3, 0, "Weryfikacja"}},
        {"verification tap", ProgressEvent{Side::right, 1, 3}, {Side::left, 0, 1, 3, 3, 0, "Weryfikacja"}},
        {"second verification prompt keeps them", SideEvent{Side::right, 3, true},
         {Side::right, 0, 1, 3, 3, 0, "Weryfikacja"}},
        {"verification state", CalibrationEvent{{"Weryfikacja", Side::right, 3, 2, 3, 1, true}},
         {Side::right, 3, 2, 3, 3, 1, "Weryfikacja"}},
        {"other events change nothing", HitEvent{Drum::kick}, {Side::right, 3, 2, 3, 3, 1, "Weryfikacja"}},
        {"retry", RetryEvent{}, {std::nullopt, 0, 0, 3, 8, 1, "Trening"}},
        {"training prompt of another size", SideEvent{Side::left, 5, false}, {Side::left, 0, 0, 5, 5, 1, "Trening"}},
        {"training state after verification", CalibrationEvent{{"Trening", Side::left, 1, 0, 8, 3, true}},
         {Side::left, 1, 0, 4, 8, 3, "Trening"}},
    };
    CalibrationProgress progress;
    for (const Step& step : steps) {
        progress.apply(step.event);
        EXPECT_EQ(progress, step.after) << step.what;
    }
}

}  // namespace
}  // namespace knockbox
