#pragma once
// The English text the app shows for a player line: the hint of the line
// without its technical data (rates, thresholds, peaks, percentages).

#include <optional>
#include <string>
#include <string_view>

namespace knockbox {

// The text for one line (without its line feed), or nothing when the line
// carries nothing for the user (sensor summary, profile lines, end summary…).
// A failure line ("Błąd: …") gives the sentence of its family of causes (no
// motion sensor, a busy or unreachable sensor, permission for the sensor
// process, a stream that stopped, sound output, the simulated sensor's
// recording, a profile that cannot be saved), or "Player error: " and the
// player's own description.
std::optional<std::string> playerMessage(std::string_view line);

}  // namespace knockbox
