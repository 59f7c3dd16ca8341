#include "protocol/player_message.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/line_text.h"
#include "protocol/line_tokens.h"

namespace knockbox {
namespace {

std::string replacingAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// "Tap the left side 4 times, firmly" from a calibration prompt.
std::string tapInstruction(std::string_view line) {
    const auto tokens = splitOnSpaces(line);
    int count = 4;
    const auto word = std::find(tokens.begin(), tokens.end(), "razy");
    if (word != tokens.end() && word != tokens.begin()) count = parseInteger(word[-1]).value_or(4);
    const char* strength = contains(line, "delikatnie") ? ", gently" : contains(line, "mocniej") ? ", firmly" : "";
    return std::string("Tap the ") + (contains(line, "klepnij LEWĄ") ? "left" : "right") + " side " +
           std::to_string(count) + " times" + strength;
}

// The drum named in a hit or demo line, by the first entry that matches.
std::optional<std::string> drumName(std::string_view line) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> names{{
        {"hi-hat", "Hi-hat"}, {"hihat", "Hi-hat"}, {"kick", "Kick"}, {"snare", "Snare"}, {"tom", "Tom"}}};
    for (const auto& [text, name] : names)
        if (contains(line, text)) return std::string(name);
    return std::nullopt;
}

// Messages of a calibration tap line ("LEWA 2/8: …", "PRAWA 1/3: …").
std::string calibrationTap(std::string_view line) {
    if (contains(line, "za duży")) return "Tap more gently";
    if (contains(line, "poniżej progu") || contains(line, "za lekkie") || contains(line, "za mały"))
        return "Tap a little harder";
    if (contains(line, "między uderzeniami")) return "Leave a short gap between taps";
    if (contains(line, "pominięta")) return "Try that tap again";
    const std::string counted(line.substr(0, std::min(line.find(':'), line.size())));
    return replacingAll(replacingAll(counted, "LEWA", "Left side:"), "PRAWA", "Right side:");
}

// A failure line ("Błąd: …"): one sentence per family of causes, found by
// words of the player's messages (the first family that matches decides);
// a cause no family knows keeps the player's own words.
std::string failureMessage(std::string_view line) {
    struct Family {
        std::array<std::string_view, 4> words;  // unused places stay empty
        std::string_view message;
    };
    static const Family families[] = {
#ifdef __APPLE__
        {{"Brak akcelerometru"}, "This Mac doesn't support playing on the case."},
#else
        {{"Brak akcelerometru"}, "This computer has no motion sensor to play on."},
#endif
        {{"urządzenie zajęte", "brak raportów", "Nie można wyliczyć urządzeń SPU", "IOHIDDeviceCreate"},
         "Can't reach the motion sensor. Quit other apps using it and try again."},
        {{"Nie przyznano procesowi sensora"},
         "You declined the password prompt, so Knockbox can't read the motion sensor. Press Play to be asked again."},
        // The sensor process ended without a word of its own: sudo refused it.
        {{"odmowa uprawnień", "Proces sensora zakończył się", "sudo -v", "nadać procesowi sensora uprawnień"},
         "Knockbox isn't allowed to read the motion sensor. Check the sensor helper's permissions."},
        {{"bez sudo"}, "Knockbox can't play as root. Start it as your own user."},
        {{"Strumień SPU zatrzymał się", "Brak danych sensora"},
         "The motion sensor stopped sending data. Press Play to start again."},
        {{"audio output"},
         "Can't play sound. Check your speakers or headphones and try again."},
        {{"KNOCKBOX_SIMULATED_SPU"}, "The simulated sensor's recording can't be used."},
#ifdef __APPLE__
        {{"portu MIDI"}, "Couldn't open the MIDI port, so nothing played; turn off Send MIDI to play without it."},
#else
        {{"portu MIDI"},
         "Couldn't open the MIDI port, so nothing played; start JACK (or the ALSA sequencer) or turn off Send MIDI."},
#endif
        {{"Nie można zapisać profilu"},
         "Couldn't save the calibration. Check that its folder can be written and the disk has room."},
    };
    for (const Family& family : families)
        for (std::string_view word : family.words)
            if (!word.empty() && contains(line, word)) return std::string(family.message);
    std::string_view description = line.substr(std::string_view("Błąd:").size());
    while (description.starts_with(' ')) description.remove_prefix(1);
    return "Player error: " + outsideText(description);
}

}  // namespace

std::optional<std::string> playerMessage(std::string_view line) {
    // The calibration's state is drawn, never said; a damaged one must not
    // announce anything ("zapisany ·" inside it is no saved profile).
    if (line.starts_with("CALIBRATION ")) return std::nullopt;
    if (line.starts_with("Błąd:")) return failureMessage(line);
    if (line.starts_with("GOTOWE")) return "Ready — start playing!";
    if (line.starts_with("Start SPU")) return "Don't touch your MacBook for 2 seconds";
    if (line.starts_with("Proces sensora potrzebuje uprawnień"))
        return "Enter your password to let Knockbox read the motion sensor (asked once)";
    if (contains(line, "teraz pisz")) return "Type normally for 5 seconds";
    if (contains(line, "zapisany ·")) return "Calibration complete — start playing!";
    if (line.starts_with("Nie zapisano profilu")) return "Let's redo it. Hits on both sides felt too similar.";
    if (line.starts_with("Nowa próba")) return "Trying again in a moment, starting on the left.";
    if (line.starts_with("NIEPEWNE")) return "Tap closer to the edge — the side was unclear";
    if (line.starts_with("Weryfikacja: teraz")) return "Now a quick check with fresh taps. Wait for a side to light up.";
    if (contains(line, "klepnij LEWĄ") || contains(line, "klepnij PRAWĄ")) return tapInstruction(line);
    if (line.starts_with("Blok gotowy")) return "Wait for the next side to light up…";
    if (line.starts_with("LEWA gotowa")) return "Left side done. One moment…";
    if (line.starts_with("LEWA ") || line.starts_with("PRAWA ")) return calibrationTap(line);
    if (line.starts_with("L  ") || line.starts_with("R  ") || line.starts_with("DEMO")) {
        const auto name = drumName(line);
        if (!name || line.starts_with("DEMO")) return name;
        return (line.starts_with("L") ? "Left · " : "Right · ") + *name;
    }
    return std::nullopt;
}

}  // namespace knockbox
