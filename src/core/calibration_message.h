#pragma once
// What the guided side calibration tells the user, as values. The
// calibration decides what to say; the player's lines put it into words
// (protocol/player_lines), which the configuration app reads back.

#include <optional>
#include <variant>

#include "core/side.h"

namespace knockbox {

// Which taps a calibration collects: any tap at or above the threshold,
// firm taps (peak ≥ accent) or gentle ones (threshold ≤ peak < accent).
enum class CalibrationKind { standard, strong, light };

// A block starts: tap `side` `taps` times, in the band of `kind`.
struct CalibrationPrompt {
    bool verification = false;
    int block = 0;   // from 0
    int blocks = 0;  // of the stage
    Side side = Side::left;
    int taps = 0;
    CalibrationKind kind = CalibrationKind::standard;
    double threshold = 0;  // g
    double accent = 0;     // g

    friend bool operator==(const CalibrationPrompt&, const CalibrationPrompt&) = default;
};

// Which tap of the stage a tap would be: the n-th of `total` on its side.
struct CalibrationTapLabel {
    Side side = Side::left;
    int n = 0;
    int total = 0;

    friend bool operator==(const CalibrationTapLabel&, const CalibrationTapLabel&) = default;
};

// A tap was counted; in verification, whether the model put it confidently
// on its side.
struct CalibrationTapCounted {
    CalibrationTapLabel label;
    double peak = 0;  // g
    std::optional<bool> verified;

    friend bool operator==(const CalibrationTapCounted&, const CalibrationTapCounted&) = default;
};

enum class CalibrationRefusal {
    invalidBand,     // threshold and accent leave no taps to collect
    belowThreshold,  // peak < threshold
    tooWeak,         // a firm calibration's tap below the accent
    tooStrong,       // a gentle calibration's tap at or above the accent
    tooSoon,         // within 0.35 s of the last counted tap
    unusableData,    // no usable side signature
};

// A tap was refused; nothing collected so far changed.
struct CalibrationTapRefused {
    CalibrationTapLabel label;
    CalibrationRefusal reason = CalibrationRefusal::invalidBand;
    double peak = 0;       // g
    double threshold = 0;  // g
    double accent = 0;     // g

    friend bool operator==(const CalibrationTapRefused&, const CalibrationTapRefused&) = default;
};

enum class CalibrationStep {
    blockDone,           // a pause, then the next prompt by itself
    trainingDone,        // the training taps are in; a fit follows
    verificationStarts,  // new taps after a pause, from the left
    retryStarts,         // everything discarded; training again after a pause
};

using CalibrationMessage =
    std::variant<CalibrationPrompt, CalibrationTapCounted, CalibrationTapRefused, CalibrationStep>;

}  // namespace knockbox
