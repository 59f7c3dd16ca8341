#pragma once
// The player's command line as a plain record.

#include <optional>
#include <span>
#include <string>

#include "audio/drum_kit.h"
#include "detection/detector_config.h"

namespace knockbox {

// The audio engine's default master volume: the 32-bit float 1.2, widened.
inline constexpr double defaultMasterVolume = static_cast<double>(1.2f);

// What one run of the program does; the last mode option given decides.
enum class RunMode { live, help, ui, probe, checkAccess, sensor, exportSamples, demo, selfTest, replay };

struct Options {
    DetectorConfig config;
    RunMode mode = RunMode::live;
    std::optional<double> duration;   // seconds
    std::optional<std::string> path;  // --replay file or --export-samples directory
    std::optional<std::string> record;
    double volume = defaultMasterVolume;
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

    bool learningSides() const { return calibrateSides || calibrateLight; }
};

// Builds the record from the arguments (without argument 0), applied left to
// right, then validates it. Throws AppError with the user-facing message.
Options parseOptions(std::span<const std::string> arguments);

}  // namespace knockbox
