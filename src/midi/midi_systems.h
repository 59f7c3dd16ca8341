#pragma once
// The MIDI systems that may take a virtual output port here.

#include <span>
#include <string_view>

namespace knockbox {

enum class MidiSystem { coreMidi, alsa, jack };

constexpr std::string_view name(MidiSystem system) {
    return system == MidiSystem::alsa ? "ALSA" : system == MidiSystem::jack ? "JACK" : "CoreMIDI";
}

// This platform's, in the order to try them: CoreMIDI on macOS; the ALSA
// sequencer, then JACK, on Linux.
std::span<const MidiSystem> midiSystems();
// Whether it can take a port now: the ALSA sequencer when /dev/snd/seq can be
// opened, JACK when a server runs (none is started).
bool midiSystemReady(MidiSystem system);

}  // namespace knockbox
