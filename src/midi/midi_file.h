#pragma once
// A take as a Standard MIDI File that any DAW opens.

#include <span>
#include <string>

#include "core/sounded_drum.h"
#include "midi/midi_mapping.h"

namespace knockbox {

// Format 0 (one track) at 120 beats per minute and 500 ticks per beat, so a
// tick is a millisecond: each drum a note-on at its time, rounded to the
// millisecond, and its note-off midiNoteLength later, with the mapping's
// notes, channel and velocities. The drums may come in any order.
std::string standardMidiFile(std::span<const SoundedDrum> drums, const MidiMapping& mapping);

}  // namespace knockbox
