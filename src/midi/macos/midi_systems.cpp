#include "midi/midi_systems.h"

namespace knockbox {

// CoreMIDI is part of every macOS; its virtual port is what a DAW lists.
std::span<const MidiSystem> midiSystems() {
    static constexpr MidiSystem systems[] = {MidiSystem::coreMidi};
    return systems;
}

bool midiSystemReady(MidiSystem system) { return system == MidiSystem::coreMidi; }

}  // namespace knockbox
