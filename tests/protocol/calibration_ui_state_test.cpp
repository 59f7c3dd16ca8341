#include "protocol/calibration_ui_state.h"

#include <gtest/gtest.h>

#include "protocol/player_event.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {

// The player's line reads back as its state; an absent target is left out.
TEST(CalibrationUIState, ThePlayersLineReadsBackAsItsState) {
    EXPECT_EQ(encode({"Weryfikacja", std::nullopt, 3, 1, 3, 2, false}),
              R"({"blockRemaining":2,"collecting":false,"leftCount":3,"rightCount":1,"stage":"Weryfikacja","total":3})");
    for (const CalibrationUIState& state : {CalibrationUIState{"Trening", Side::right, 8, 5, 8, 3, true},
                                            CalibrationUIState{"Weryfikacja", std::nullopt, 0, 0, 3, 0, false}}) {
        const std::string line = lines::calibration(state);
        EXPECT_TRUE(line.starts_with("CALIBRATION {")) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        EXPECT_TRUE(parsePlayerEvent(line) == PlayerEvent(CalibrationEvent{state})) << line;
    }
}

}  // namespace
}  // namespace knockbox
