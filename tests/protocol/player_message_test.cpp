#include "protocol/player_message.h"

#include <gtest/gtest.h>

#include <string>

#include "audio/audio_error.h"
#include "midi/midi_error.h"
#include "protocol/player_lines.h"
#include "sensor/spu_sensor.h"
#include "sidemodels/calibration_error.h"

namespace knockbox {
namespace {

// A failure's family of causes, found in the words of the player's own
// failures. (Every other line the player prints: player_lines_test.cpp.)
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

}  // namespace
}  // namespace knockbox
