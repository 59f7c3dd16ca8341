#pragma once
// The player's command line as a plain record.

#include <optional>
#include <span>
#include <string>

#include "audio/drum_kit.h"
#include "audio/master_volume.h"
#include "detection/detector_config.h"
#include "midi/midi_mapping.h"

namespace knockbox {

// What one run of the program does; the last mode option given decides.
enum class RunMode { live, help, ui, probe, checkAccess, sensor, exportSamples, demo, selfTest, replay };

struct Options {
    DetectorConfig config;
    RunMode mode = RunMode::live;
    std::optional<double> duration;   // seconds
    std::optional<std::string> path;  // --replay file or --export-samples directory
    std::optional<std::string> record;
    double volume = defaultMasterVolume;  // the engine's 32-bit 1.2, widened
    SoundSelection sounds;
    bool calibrateTyping = false;
    bool calibrateSides = false;
    bool calibrateStrong = false;
    bool calibrateLight = false;
    bool noSideProfile = false;
    bool noTypingGuard = false;
    bool muted = false;
    bool debug = false;
    bool directSensor = false;
    // The sensor process's program instead of this one: knockbox-helper's
    // root-owned copy of knockbox-sensor, which sudo runs without asking.
    std::optional<std::string> sensorProgram;
    // Play each tap from an early decision a few milliseconds after its onset
    // instead of waiting for the whole attack window (live play and replay).
    bool fastTrigger = false;
    // End as on SIGTERM once standard input ends: the configuration app hands
    // its player a pipe whose other end only the app holds, so the player
    // ends when the app goes, however it goes.
    bool untilInputEnds = false;
    // Live MIDI out on the port "Knockbox" (--midi); the notes and channel
    // it and a MIDI take use (--midi-note DRUM=N, --midi-channel N).
    bool midi = false;
    MidiMapping midiMapping;
    // Takes written when the run ends (--take FILE.mid, --take FILE.wav).
    std::optional<std::string> takeMidi;
    std::optional<std::string> takeWave;

    bool learningSides() const { return calibrateSides || calibrateLight; }
};

// Builds the record from the arguments (without argument 0), applied left to
// right, then validates it. Throws AppError with the user-facing message.
Options parseOptions(std::span<const std::string> arguments);

}  // namespace knockbox
