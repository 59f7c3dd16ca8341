// What the app accepts of a calibration state, whatever reaches it. (Every
// line the player prints, read back: player_lines_test.cpp.)
#include "protocol/player_event.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/calibration_ui_state.h"
#include "protocol/player_message.h"

namespace knockbox {
namespace {

const std::string calibrationJson =
    R"({"stage":"Trening","target":"left","leftCount":2,"rightCount":0,"total":8,"blockRemaining":2,"collecting":true})";

std::string calibrationWith(const std::string& from, const std::string& to) {
    std::string json = calibrationJson;
    json.replace(json.find(from), from.size(), to);
    return "CALIBRATION " + json;
}

TEST(PlayerEvent, CalibrationStatesWithinTheirRangesOnly) {
    const CalibrationUIState untargeted{"Trening", std::nullopt, 2, 0, 8, 2, true};
    const std::pair<std::string, std::optional<PlayerEvent>> cases[] = {
        {calibrationWith(R"("target":"left")", R"("target":null)"), CalibrationEvent{untargeted}},
        {calibrationWith(R"("total":8)", R"("total":3)"), std::nullopt},
        {calibrationWith(R"("blockRemaining":2)", R"("blockRemaining":5)"), std::nullopt},
        {calibrationWith(R"("target":"left")", R"("target":"up")"), std::nullopt},
        {"CALIBRATION " + calibrationJson.substr(0, 40), std::nullopt},
        // A damaged state is nothing, whatever words it holds.
        {R"(CALIBRATION {"stage":"Profil zapisany · 100%"})", std::nullopt},
    };
    for (const auto& [line, event] : cases) {
        EXPECT_EQ(parsePlayerEvent(line), event) << line;
        EXPECT_EQ(playerMessage(line), std::nullopt) << line;
    }
}

}  // namespace
}  // namespace knockbox
