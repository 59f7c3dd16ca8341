#pragma once
// What one player line means to the configuration app. The app learns about
// taps and calibration only from these lines; the player writes them
// (player_lines.h), this reads them back.

#include <optional>
#include <string_view>
#include <variant>

#include "core/drum.h"
#include "core/side.h"
#include "protocol/calibration_ui_state.h"

namespace knockbox {

// A tap was played on this drum.
struct HitEvent {
    Drum drum;
    friend bool operator==(const HitEvent&, const HitEvent&) = default;
};
// The calibration asks for `count` taps on this side; `verification` in the
// independent check phase.
struct SideEvent {
    Side side;
    int count;
    bool verification;
    friend bool operator==(const SideEvent&, const SideEvent&) = default;
};
// Older progress line: n of total taps collected on this side.
struct ProgressEvent {
    Side side;
    int n;
    int total;
    friend bool operator==(const ProgressEvent&, const ProgressEvent&) = default;
};
// The full calibration progress.
struct CalibrationEvent {
    CalibrationUIState state;
    friend bool operator==(const CalibrationEvent&, const CalibrationEvent&) = default;
};
// The player has warmed up and detects taps.
struct ReadyEvent {
    friend bool operator==(ReadyEvent, ReadyEvent) = default;
};
// A calibration block is finished; the next prompt follows by itself.
struct PauseEvent {
    friend bool operator==(PauseEvent, PauseEvent) = default;
};
// A calibration profile was verified and saved.
struct SavedEvent {
    friend bool operator==(SavedEvent, SavedEvent) = default;
};
// The calibration starts over from the left side.
struct RetryEvent {
    friend bool operator==(RetryEvent, RetryEvent) = default;
};
// The player stopped on a fatal error.
struct FailureEvent {
    friend bool operator==(FailureEvent, FailureEvent) = default;
};

using PlayerEvent = std::variant<HitEvent, SideEvent, ProgressEvent, CalibrationEvent, ReadyEvent, PauseEvent,
                                 SavedEvent, RetryEvent, FailureEvent>;

// The event of one line (without its line feed), or nothing for a line that
// carries none: other player lines, damaged or unaccepted calibration states,
// rejected calibration taps, hit lines that name no drum.
std::optional<PlayerEvent> parsePlayerEvent(std::string_view line);

// The number after the first "volume" token, clamped to 0…1 (NaN gives 0);
// nothing without such a token or a readable number after it.
std::optional<double> hitVolume(std::string_view line);

}  // namespace knockbox
