#include "protocol/player_event.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "core/number_text.h"
#include "protocol/line_tokens.h"

namespace knockbox {
namespace {

constexpr std::string_view calibrationPrefix = "CALIBRATION ";

// "LEWA 2/8: peak 0.083 g": a counted calibration tap. Rejected taps carry
// "pominięta", "za duży" or "za mały" and never count.
std::optional<PlayerEvent> progress(std::string_view line) {
    const bool left = line.starts_with("LEWA ");
    if (!(left || line.starts_with("PRAWA ")) || !contains(line, ": peak ") || contains(line, "pominięta") ||
        contains(line, "za duży") || contains(line, "za mały"))
        return std::nullopt;
    const auto tokens = splitOnSpaces(line);
    if (tokens.size() < 2) return std::nullopt;
    std::vector<std::string_view> pieces;
    for (std::string_view rest = tokens[1]; !rest.empty();) {
        const std::size_t slash = std::min(rest.find('/'), rest.size());
        if (slash > 0) pieces.push_back(rest.substr(0, slash));
        rest.remove_prefix(std::min(slash + 1, rest.size()));
    }
    if (pieces.size() != 2) return std::nullopt;
    std::string_view totalText = pieces[1];
    while (totalText.starts_with(':')) totalText.remove_prefix(1);
    while (totalText.ends_with(':')) totalText.remove_suffix(1);
    const auto n = parseInteger(pieces[0]);
    const auto total = parseInteger(totalText);
    if (!n || !total || *total < 1 || *total > 20 || *n < 1 || *n > *total) return std::nullopt;
    return ProgressEvent{left ? Side::left : Side::right, *n, *total};
}

// "L  kick    peak …", "R  hihat …" or "DEMO snare volume 0.3".
std::optional<PlayerEvent> hit(std::string_view line) {
    if (!(line.starts_with("L  ") || line.starts_with("R  ") || line.starts_with("DEMO"))) return std::nullopt;
    const auto tokens = splitOnWhitespace(line);
    if (tokens.size() < 2) return std::nullopt;
    const auto drum = parseDrum(tokens[1] == "hi-hat" ? "hihat" : tokens[1]);
    if (!drum) return std::nullopt;
    return HitEvent{*drum};
}

// "…: klepnij LEWĄ stronę 4 razy …": the prompt of a calibration block.
SideEvent sidePrompt(std::string_view line) {
    const auto tokens = splitOnSpaces(line);
    int count = 6;
    const auto word = std::find(tokens.begin(), tokens.end(), "stronę");
    if (word != tokens.end() && word + 1 != tokens.end()) count = parseInteger(word[1]).value_or(6);
    return {contains(line, "LEWĄ") ? Side::left : Side::right, count, contains(line, "Weryfikacja")};
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

std::optional<PlayerEvent> parsePlayerEvent(std::string_view line) {
    if (line.starts_with(calibrationPrefix)) {
        // A damaged or unaccepted state carries nothing, whatever words its text holds.
        const auto state = decodeCalibrationUIState(line.substr(calibrationPrefix.size()));
        if (state && isAccepted(*state)) return CalibrationEvent{*state};
        return std::nullopt;
    }
    if (line.starts_with("Błąd:")) return FailureEvent{};
    if (line.starts_with("GOTOWE")) return ReadyEvent{};
    if (contains(line, "zapisany ·")) return SavedEvent{};
    if (line.starts_with("Nowa próba")) return RetryEvent{};
    if (line.starts_with("LEWA gotowa") || line.starts_with("Blok gotowy")) return PauseEvent{};
    if (contains(line, "klepnij LEWĄ") || contains(line, "klepnij PRAWĄ")) return sidePrompt(line);
    if (auto event = progress(line)) return event;
    return hit(line);
}

std::optional<double> hitVolume(std::string_view line) {
    const auto tokens = splitOnWhitespace(line);
    const auto word = std::find(tokens.begin(), tokens.end(), "volume");
    if (word == tokens.end() || word + 1 == tokens.end()) return std::nullopt;
    std::string_view text = word[1];
    if (auto value = parseNumber(text)) return std::clamp(*value, 0.0, 1.0);
    // Not-a-number and infinities are readable too, and clamp like any value.
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) text.remove_prefix(1);
    if (equalsIgnoringCase(text, "nan")) return 0.0;
    if (equalsIgnoringCase(text, "inf") || equalsIgnoringCase(text, "infinity")) return negative ? 0.0 : 1.0;
    return std::nullopt;
}

}  // namespace knockbox
