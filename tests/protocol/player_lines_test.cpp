// The contract between the player and the app: every line the player prints
// that the app reads, made by the player's own formatter, parses back to its
// event and gives its message; a failure's message by the family of its cause;
// and what the app accepts of a calibration state, whatever reaches it.
#include "protocol/player_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "audio/audio_error.h"
#include "midi/midi_error.h"
#include "protocol/calibration_ui_state.h"
#include "protocol/player_event.h"
#include "protocol/player_message.h"
#include "sensor/spu_sensor.h"
#include "sidemodels/calibration_error.h"

namespace knockbox {
namespace {

using enum CalibrationRefusal;

struct RoundTrip {
    std::string line;
    std::optional<PlayerEvent> event;
    std::optional<std::string> message;
};

std::string said(const CalibrationMessage& message) { return lines::calibrationMessage(message); }

CalibrationPrompt prompt(bool verification, Side side, CalibrationKind kind) {
    return {verification, side == Side::left ? 0 : 1, verification ? 2 : 4, side, verification ? 3 : 4, kind, 0.05,
            0.16};
}

std::string refusal(CalibrationRefusal reason, CalibrationTapLabel label = {Side::left, 3, 8}) {
    return said(CalibrationTapRefused{label, reason, 0.1234, 0.05, 0.16});
}

TEST(PlayerLines, ReadBackAsTheirEventsAndMessages) {
    const lines::SideDiagnostics diagnostics{-0.0123, 0.87, "heurystyka", 0.05};
    const lines::EarlyDiagnostics early{true, Side::right, Drum::snare, 0.2, 0.71, 0.93, "główny", 0.0038};
    const CalibrationUIState first{"Trening", Side::left, 0, 0, 8, 4, true};
    const CalibrationUIState last{"Weryfikacja", std::nullopt, 3, 3, 3, 0, false};
    const auto counted = [](Side side, int n, int total, std::optional<bool> verified = std::nullopt) {
        return said(CalibrationTapCounted{{side, n, total}, 0.231, verified});
    };
    const RoundTrip cases[] = {
        {lines::ready(799.6, 0.05, 0.16, 0.12), ReadyEvent{}, "Ready — start playing!"},
        {std::string(lines::sensorStart), std::nullopt, "Don't touch your MacBook for 2 seconds"},
        {std::string(lines::sensorAccessAsked), std::nullopt,
         "Enter your password to let Knockbox read the motion sensor (asked once)"},
        {std::string(lines::typingCalibration), std::nullopt, "Type normally for 5 seconds"},
        // Hits, plain and with --debug and the fast trigger's early decision.
        {lines::hit(Side::left, Drum::kick, 0.08, 0.3), HitEvent{Drum::kick}, "Left · Kick"},
        {lines::hit(Side::right, Drum::hihat, 0.08, 0.3), HitEvent{Drum::hihat}, "Right · Hi-hat"},
        {lines::hit(Side::right, Drum::snare, 0.3, 1.0, diagnostics), HitEvent{Drum::snare}, "Right · Snare"},
        {lines::hit(Side::left, Drum::tom, 0.2, 0.7, diagnostics, early), HitEvent{Drum::tom}, "Left · Tom"},
        {lines::demo(Drum::hihat, 0.3), HitEvent{Drum::hihat}, "Hi-hat"},
        {lines::uncertain(0.1), std::nullopt, "Tap closer to the edge — the side was unclear"},
        {lines::uncertain(0.1, diagnostics, early), std::nullopt, "Tap closer to the edge — the side was unclear"},
        // The calibration: its state, prompts, taps and steps.
        {lines::calibration(first), CalibrationEvent{first}, std::nullopt},
        {lines::calibration(last), CalibrationEvent{last}, std::nullopt},
        {said(prompt(false, Side::left, CalibrationKind::strong)), SideEvent{Side::left, 4, false},
         "Tap the left side 4 times, firmly"},
        {said(prompt(true, Side::right, CalibrationKind::strong)), SideEvent{Side::right, 3, true},
         "Tap the right side 3 times, firmly"},
        {said(prompt(false, Side::right, CalibrationKind::light)), SideEvent{Side::right, 4, false},
         "Tap the right side 4 times, gently"},
        {said(prompt(true, Side::left, CalibrationKind::standard)), SideEvent{Side::left, 3, true},
         "Tap the left side 3 times"},
        {counted(Side::left, 1, 8), ProgressEvent{Side::left, 1, 8}, "Left side: 1/8"},
        {counted(Side::right, 8, 8), ProgressEvent{Side::right, 8, 8}, "Right side: 8/8"},
        {counted(Side::left, 3, 3, true), ProgressEvent{Side::left, 3, 3}, "Left side: 3/3"},
        {counted(Side::right, 3, 3, false), ProgressEvent{Side::right, 3, 3}, "Right side: 3/3"},
        {refusal(invalidBand), std::nullopt, "Try that tap again"},
        {refusal(belowThreshold), std::nullopt, "Tap a little harder"},
        {refusal(tooWeak, {Side::right, 8, 8}), std::nullopt, "Tap a little harder"},
        {refusal(tooStrong, {Side::left, 8, 8}), std::nullopt, "Tap more gently"},
        {refusal(tooSoon), std::nullopt, "Leave a short gap between taps"},
        {refusal(unusableData, {Side::right, 3, 3}), std::nullopt, "Try that tap again"},
        {said(CalibrationStep::blockDone), PauseEvent{}, "Wait for the next side to light up…"},
        {said(CalibrationStep::trainingDone), std::nullopt, std::nullopt},
        {said(CalibrationStep::verificationStarts), std::nullopt,
         "Now a quick check with fresh taps. Wait for a side to light up."},
        {said(CalibrationStep::retryStarts), RetryEvent{}, "Trying again in a moment, starting on the left."},
        {lines::sideModelTrained(1.0), std::nullopt, std::nullopt},
        {lines::lightModelTrained("atak + impuls", 0.94), std::nullopt, std::nullopt},
        {lines::profileNotSaved(lines::verificationMissed(2, 2)), std::nullopt,
         "Let's redo it. Hits on both sides felt too similar."},
        {lines::profileSaved(false, 3, 2), SavedEvent{}, "Calibration complete — start playing!"},
        {lines::profileSaved(true, 3, 3), SavedEvent{}, "Calibration complete — start playing!"},
        {lines::error("brak danych"), FailureEvent{}, "Player error: brak danych"},
        // Lines with nothing for the app.
        {lines::summary(4000, 4, 0), std::nullopt, std::nullopt},
        {lines::sideProfileLoaded(1.0), std::nullopt, std::nullopt},
        {lines::lightProfileSkipped("Nieprawidłowy profil lekkich klepnięć."), std::nullopt, std::nullopt},
        {lines::journalOpened("/x/recordings/calibration/a.jsonl"), std::nullopt, std::nullopt},
        {lines::liveKitMissing("/x/Kits/Live", 2, 48), std::nullopt, std::nullopt},
        {lines::droppedStarts(3), std::nullopt, std::nullopt},
        {lines::midiOpened("Knockbox", "JACK", 10), std::nullopt, std::nullopt},
        {lines::midiSendsFailed(2), std::nullopt, std::nullopt},
    };
    for (const auto& [line, event, message] : cases) {
        EXPECT_EQ(parsePlayerEvent(line), event) << line;
        EXPECT_EQ(playerMessage(line), message) << line;
    }
}

// The words the user reads while calibrating, where no whole run shows them
// (tests/e2e/calibration_replay_test.cpp holds the rest).
TEST(PlayerLines, CalibrationWords) {
    EXPECT_EQ(said(prompt(false, Side::left, CalibrationKind::standard)),
              "Trening — blok 1/4: klepnij LEWĄ stronę 4 razy z trochę różną siłą, co około pół sekundy. Audio "
              "podczas kalibracji jest wyciszone.");
    const std::pair<CalibrationRefusal, std::string> refusals[] = {
        {invalidBand, "niepoprawny zakres siły kalibracji; próbka pominięta."},
        {belowThreshold, "peak 0.123 g jest poniżej progu 0.050 g; próbka pominięta."},
        {tooWeak, "peak 0.123 g jest za mały do mocnej kalibracji (wymagane >= 0.160 g). Klepnij trochę mocniej; "
                  "dotychczasowe próbki zachowane."},
        {tooStrong, "peak 0.123 g jest za duży do lekkiej kalibracji (wymagane < 0.160 g). Klepnij delikatniej; "
                    "dotychczasowe próbki zachowane."},
        {tooSoon, "próbka pominięta; zachowaj co najmniej 0,35 s między uderzeniami."},
        {unusableData, "brak poprawnych danych sensora; próbka pominięta."},
    };
    for (const auto& [reason, words] : refusals) EXPECT_EQ(refusal(reason), "LEWA 3/8: " + words);
}

// A failure's family of causes, found in the words of the player's own failures.
TEST(PlayerMessage, FailuresByFamily) {
#ifdef __APPLE__
    const std::string noSensor = "This Mac doesn't support playing on the case.";
#else
    const std::string noSensor = "This computer has no motion sensor to play on.";
#endif
    const std::string unreachable = "Can't reach the motion sensor. Quit other apps using it and try again.";
    const std::string permission =
        "Knockbox isn't allowed to read the motion sensor. Check the sensor helper's permissions.";
    const std::string stopped = "The motion sensor stopped sending data. Press Play to start again.";
    const std::pair<std::string, std::string> cases[] = {
        {std::string(lines::noSensorHere), noSensor},
        {SPUSensorError::unavailable().what(), noSensor},
        {SPUSensorError::open(hidReturn::exclusiveAccess).what(), unreachable},
        {SPUSensorError::enumeration(hidReturn::error).what(), unreachable},
        {SPUSensorError::creation().what(), unreachable},
        {std::string(lines::noReports), unreachable},
        {SPUSensorError::open(hidReturn::notPrivileged).what(), permission},
        {lines::sensorProcessEnded(1), permission},
        {std::string(lines::sudoNeedsPassword), permission},
        {lines::sensorAccessFailed("sudo: /etc/sudoers is world writable"), permission},
        {std::string(lines::sensorAccessDeclined),
         "You declined the password prompt, so Knockbox can't read the motion sensor. Press Play to be asked again."},
        {std::string(lines::notAsRoot), "Knockbox can't play as root. Start it as your own user."},
        {std::string(lines::streamStalled), stopped},
        {std::string(lines::noSensorData), stopped},
        {AudioError::outputUnavailable().what(), "Can't play sound. Check your speakers or headphones and try again."},
        {lines::simulatedSensorUnusable("/x/m.csv: No such file or directory"),
         "The simulated sensor's recording can't be used."},
#ifndef __APPLE__
        {MidiError::noMidiSystem().what(),
         "Couldn't open the MIDI port, so nothing played; start JACK (or the ALSA sequencer) or turn off Send MIDI."},
#endif
        {CalibrationError::writeFailed("/x/p.json: Is a directory").what(),
         "Couldn't save the calibration. Check that its folder can be written and the disk has room."},
        // A cause no family knows keeps the player's words, control characters shown.
        {"brak danych\x1b[2J", "Player error: brak danych\\x1b[2J"},
    };
    for (const auto& [description, message] : cases)
        EXPECT_EQ(playerMessage(lines::error(description)), message) << description;
}

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
