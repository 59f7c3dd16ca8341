#include "protocol/player_event.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/calibration_ui_state.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {

struct EventCase {
    std::string line;
    std::optional<PlayerEvent> event;
};

const std::string firmPrompt =
    "Trening — blok 1/4: klepnij LEWĄ stronę 4 razy mocniej (peak >= 0.160 g), co około pół sekundy. "
    "Audio podczas kalibracji jest wyciszone.";
const std::string verificationPrompt =
    "Weryfikacja — blok 2/2: klepnij PRAWĄ stronę 3 razy mocniej (peak >= 0.160 g), co około pół sekundy. "
    "Audio podczas kalibracji jest wyciszone.";
const std::string calibrationJson =
    R"({"stage":"Trening","target":"left","leftCount":2,"rightCount":0,"total":8,"blockRemaining":2,"collecting":true})";

std::string calibrationWith(const std::string& from, const std::string& to) {
    std::string json = calibrationJson;
    json.replace(json.find(from), from.size(), to);
    return "CALIBRATION " + json;
}

TEST(PlayerEvent, LinesAndTheirEvents) {
    const CalibrationUIState state{"Trening", Side::left, 2, 0, 8, 2, true};
    CalibrationUIState untargeted = state;
    untargeted.target.reset();
    const EventCase cases[] = {
        {"GOTOWE · 800 Hz · próg 0.050 g · mocne 0.160 g · cooldown 120 ms", ReadyEvent{}},
        {"Sensor: 800 raportów, 800 Hz.", std::nullopt},
        {"Błąd: brak danych", FailureEvent{}},
        {"Profil stron zapisany · walidacja 100%", SavedEvent{}},
        {"Profil lekkich zapisany · walidacja 83%", SavedEvent{}},
        {"Nowa próba: zaczynamy od lewej strony.", RetryEvent{}},
        {"LEWA gotowa. Odczekaj 1,5 s", PauseEvent{}},
        {"Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo.", PauseEvent{}},
        // Calibration prompts: the count follows "stronę", 6 without one.
        {firmPrompt, SideEvent{Side::left, 4, false}},
        {verificationPrompt, SideEvent{Side::right, 3, true}},
        {"Trening — blok 1/4: klepnij PRAWĄ stronę", SideEvent{Side::right, 6, false}},
        // Counted calibration taps; rejected ones never count.
        {"LEWA 2/6: peak 0.083 g", ProgressEvent{Side::left, 2, 6}},
        {"PRAWA 4/6: peak 0.083 g", ProgressEvent{Side::right, 4, 6}},
        {"LEWA 2//8:: peak 0.083 g", ProgressEvent{Side::left, 2, 8}},
        {"LEWA 2/6: peak 0.20 g jest za duży; próbka pominięta.", std::nullopt},
        {"LEWA 2/6: uderzenie za lekkie. Klepnij trochę mocniej.", std::nullopt},
        {"PRAWA 3/8: peak 0.030 g za mały", std::nullopt},
        {"PRAWA 9/8: peak 0.200 g", std::nullopt},
        {"PRAWA 2/21: peak 0.200 g", std::nullopt},
        // Hits: the letter, two spaces, then the drum as the second token.
        {"L  kick    peak 0.080 g  volume 0.30", HitEvent{Drum::kick}},
        {"R  hihat   peak 0.080 g  volume 0.30", HitEvent{Drum::hihat}},
        {"R  hi-hat  peak 0.080 g", HitEvent{Drum::hihat}},
        {"R  snare\u00A0\u2003peak 0.300 g", HitEvent{Drum::snare}},
        {"L  tom    peak 0.200 g  volume 0.70  X -0.0123  strona 87%  model heurystyka  threshold 0.050",
         HitEvent{Drum::tom}},
        {"DEMO tom volume 0.8", HitEvent{Drum::tom}},
        {"L kick    peak 0.080 g  volume 0.30", std::nullopt},
        {"L  bongo  peak 0.080 g", std::nullopt},
        {"NIEPEWNE · klepnij bliżej boku obudowy", std::nullopt},
        // Calibration states, accepted only within their ranges.
        {"CALIBRATION " + calibrationJson, CalibrationEvent{state}},
        {calibrationWith(R"("target":"left")", R"("target":null)"), CalibrationEvent{untargeted}},
        {calibrationWith(R"("target":"left",)", ""), CalibrationEvent{untargeted}},
        {calibrationWith(R"("total":8)", R"("total":3)"), std::nullopt},
        {calibrationWith(R"("blockRemaining":2)", R"("blockRemaining":5)"), std::nullopt},
        {calibrationWith(R"("rightCount":0)", R"("rightCount":-1)"), std::nullopt},
        {calibrationWith(R"("target":"left")", R"("target":"up")"), std::nullopt},
        {calibrationWith(R"("stage":"Trening")", R"("stage":"Test")"), std::nullopt},
        {calibrationWith(R"("leftCount":2)", R"("leftCount":"2")"), std::nullopt},
        {calibrationWith(R"(,"collecting":true)", ""), std::nullopt},
        {"CALIBRATION " + calibrationJson.substr(0, 40), std::nullopt},
        // A damaged state is nothing, whatever words it holds.
        {R"(CALIBRATION {"stage":"Profil zapisany · 100%"})", std::nullopt},
    };
    for (const auto& [line, event] : cases) EXPECT_EQ(parsePlayerEvent(line), event) << line;
}

// The player's calibration line reads back as its state; an absent target is left out.
TEST(PlayerEvent, CalibrationLinesReadBackAsTheirState) {
    EXPECT_EQ(encode({"Weryfikacja", std::nullopt, 3, 1, 3, 2, false}),
              R"({"blockRemaining":2,"collecting":false,"leftCount":3,"rightCount":1,"stage":"Weryfikacja","total":3})");
    for (const CalibrationUIState& state : {CalibrationUIState{"Trening", Side::right, 8, 5, 8, 3, true},
                                            CalibrationUIState{"Weryfikacja", std::nullopt, 0, 0, 3, 0, false}}) {
        const std::string line = lines::calibration(state);
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        EXPECT_EQ(parsePlayerEvent(line), PlayerEvent(CalibrationEvent{state})) << line;
    }
}

TEST(PlayerEvent, HitVolumes) {
    const std::pair<std::string, std::optional<double>> cases[] = {
        {"L  kick    peak 0.080 g  volume 0.30", 0.3},
        {"L  tom    peak 0.200 g  volume 0.55  X 0.0123  strona 87%  model heurystyka  threshold 0.050", 0.55},
        {"R  snare  peak 0.600 g  volume 1.40", 1.0},
        {"R  snare  peak 0.600 g  volume -0.2", 0.0},
        {"R  snare  peak 0.600 g  volume nan", 0.0},
        {"R  snare  peak 0.600 g  volume\u00A00.25", 0.25},
        {"GOTOWE · 800 Hz", std::nullopt},
        {"R  snare  peak 0.600 g  volume", std::nullopt},
        {"R  snare  peak 0.600 g  volume loud", std::nullopt},
    };
    for (const auto& [line, volume] : cases) EXPECT_EQ(hitVolume(line), volume) << line;
}

}  // namespace
}  // namespace knockbox
