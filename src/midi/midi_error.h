#pragma once
// Why the live MIDI output could not be opened, as the player says it.

#include <stdexcept>
#include <string>
#include <string_view>

namespace knockbox {

class MidiError : public std::runtime_error {
public:
    // Linux: neither an ALSA sequencer nor a running JACK server.
    static MidiError noMidiSystem();
    // The MIDI system refused the port; `reason` is its own words.
    static MidiError refused(std::string_view reason);

private:
    explicit MidiError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace knockbox
