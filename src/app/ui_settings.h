#pragma once
// Everything the user can change in the configuration app. It reaches the
// player only as command-line arguments, and the player's own option parser
// is the only judge of the values.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "audio/drum_kit.h"
#include "player/options.h"

namespace knockbox {

struct UISettings {
    double threshold = 0.05;                 // g: minimum peak of a tap
    double cooldown = 120.0;                 // ms between two taps
    double accent = 0.16;                    // g: boundary between gentle and firm taps
    double fullVelocity = 0.5;               // g: peak that plays at full velocity
    double volume = 1.2;                     // master volume 0 to 1.5, in hundredths as the user sets it
    SoundSelection sounds{};                 // kit per drum
    double sideBias = 0.0;                   // g: shifts the heuristic side decision
    bool invertSides = false;
    bool useProfile = true;                  // use the learned side profiles
    bool typingGuard = true;                 // suppress taps while typing
    bool muted = false;
    bool debug = false;                      // technical details in the player's lines
    bool fastTrigger = false;                // sound each tap from its first milliseconds
    bool sendMidi = false;                   // live MIDI out on the port "Knockbox"

    // The player's command line for these settings (without a mode): the six
    // numbers, the four kits, then the switches that differ from the player's
    // defaults.
    std::vector<std::string> arguments() const;
    // Nothing when the player accepts arguments(), else its error message.
    std::optional<std::string> validation() const;

    friend bool operator==(const UISettings&, const UISettings&) = default;
};

// JSON object with the fourteen field names as keys. Decoding takes the default
// for a missing or null key and throws nlohmann::json::exception for a value
// of the wrong type (or a selection of kits that does not decode). The volume
// is read to two decimals, as the app sets it: older files kept the engine's
// 32-bit default widened (1.2000000476837158).
void to_json(nlohmann::json& json, const UISettings& settings);
void from_json(const nlohmann::json& json, UISettings& settings);

// The settings file's text: pretty-printed, keys sorted, all fourteen present.
std::string settingsFileText(const UISettings& settings);

// What the settings file gave.
struct LoadedSettings {
    // The file's settings, when it is a regular file of at most 1 MiB that
    // decodes and whose values the player accepts.
    std::optional<UISettings> settings;
    // Something is at the path; without settings it cannot be used.
    bool found = false;
    bool unusable() const { return found && !settings; }
};
LoadedSettings loadSettings(const std::filesystem::path& file);

// When `file` does not exist: creates its folder and copies `legacy` (the
// settings of the program's earlier name) there. Failures are ignored:
// usually there is no legacy file.
void copyLegacySettings(const std::filesystem::path& legacy, const std::filesystem::path& file);

enum class SaveOutcome {
    saved,
    invalid,  // the player would refuse these settings; nothing was written
    failed,   // the folder or the file could not be written
};

// Validates, creates the folder and replaces the file atomically.
SaveOutcome saveSettings(const UISettings& settings, const std::filesystem::path& file);

}  // namespace knockbox
