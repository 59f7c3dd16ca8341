#include "protocol/player_lines.h"

#include "core/number_text.h"

namespace knockbox::lines {
namespace {

std::string padded(std::string_view text, std::size_t width) {
    std::string result(text);
    if (result.size() < width) result.append(width - result.size(), ' ');
    return result;
}

std::string percent(double fraction) { return fixed(fraction * 100.0, 0) + "%"; }

}  // namespace

std::string ready(double rateHz, double threshold, double accent, double cooldownSeconds) {
    return "GOTOWE · " + fixed(rateHz, 0) + " Hz · próg " + fixed(threshold, 3) + " g · mocne " +
           fixed(accent, 3) + " g · cooldown " + fixed(cooldownSeconds * 1000.0, 0) + " ms";
}

std::string hit(Side side, Drum drum, double peak, double velocity,
                const std::optional<SideDiagnostics>& diagnostics) {
    std::string line = std::string(side == Side::left ? "L" : "R") + "  " + padded(rawValue(drum), 6) +
                       "  peak " + fixed(peak, 3) + " g  volume " + fixed(velocity, 2);
    if (diagnostics)
        line += "  X " + fixed(diagnostics->attackX, 4) + "  strona " + percent(diagnostics->confidence) +
                "  model " + std::string(diagnostics->model) + "  threshold " + fixed(diagnostics->threshold, 3);
    return line;
}

std::string uncertain(double peak, const std::optional<SideDiagnostics>& diagnostics) {
    if (!diagnostics) return "NIEPEWNE · klepnij bliżej boku obudowy";
    return "NIEPEWNE · peak " + fixed(peak, 3) + " g · model " + std::string(diagnostics->model) + " · strona " +
           percent(diagnostics->confidence);
}

std::string summary(long samples, long hits, long uncertain) {
    return "Koniec: " + std::to_string(samples) + " próbek, " + std::to_string(hits) + " uderzeń, " +
           std::to_string(uncertain) + " niepewnych stron.";
}

std::string demo(Drum drum, double velocity) {
    return "DEMO " + std::string(rawValue(drum)) + " volume " + shortestNumber(velocity);
}

std::string calibration(const CalibrationUIState& state) { return "CALIBRATION " + encode(state); }

std::string error(std::string_view description) { return "Błąd: " + std::string(description); }

}  // namespace knockbox::lines
