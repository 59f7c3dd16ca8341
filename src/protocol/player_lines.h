#pragma once
// The player's output lines, each formatted in this one place. The
// configuration app reads them back (it knows them by their shapes), so a
// change here is a change of the protocol between the two.

#include <optional>
#include <string>
#include <string_view>

#include "core/drum.h"
#include "core/side.h"
#include "protocol/calibration_ui_state.h"

namespace knockbox::lines {

// "GOTOWE · <rate> Hz · próg <g> g · mocne <g> g · cooldown <ms> ms"
std::string ready(double rateHz, double threshold, double accent, double cooldownSeconds);
inline constexpr std::string_view keys = "L: kick/tom  |  R: hi-hat/snare  |  Ctrl-C: koniec";
inline constexpr std::string_view lowRate =
    "Uwaga: niski rate sensora — rozpoznawanie strony może być mniej pewne.";
inline constexpr std::string_view typingCalibration = "Kalibracja: teraz pisz normalnie przez 5 s.";
inline constexpr std::string_view sensorStart = "Start SPU… przez pierwsze 2 s nie dotykaj MacBooka.";

// What the side decision says about a tap, shown with --debug.
struct SideDiagnostics {
    double attackX;        // g
    double confidence;     // 0.5–1
    std::string_view model;
    double threshold;      // g, the effective threshold
};

// "L  kick    peak 0.080 g  volume 0.37", with the diagnostics appended when given.
std::string hit(Side side, Drum drum, double peak, double velocity,
                const std::optional<SideDiagnostics>& diagnostics = std::nullopt);
// A tap whose side was unclear; with diagnostics its peak, model and confidence.
std::string uncertain(double peak, const std::optional<SideDiagnostics>& diagnostics = std::nullopt);
// "Koniec: <n> próbek, <n> uderzeń, <n> niepewnych stron."
std::string summary(long samples, long hits, long uncertain);
// "DEMO <drum> volume <velocity>"
std::string demo(Drum drum, double velocity);
// "CALIBRATION <state as one line of JSON>": the calibration's progress.
std::string calibration(const CalibrationUIState& state);
// "Błąd: <description>": the player ends with status 1 after it.
std::string error(std::string_view description);

}  // namespace knockbox::lines
