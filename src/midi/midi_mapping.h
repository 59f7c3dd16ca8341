#pragma once
// What a drum is in MIDI: its note, the channel, how loud, and the port and
// note length every receiver of ours sees.

#include <array>
#include <cstdint>
#include <string_view>

#include "core/drum.h"

namespace knockbox {

// General MIDI percussion by default: kick 36 (bass drum 1), snare 38
// (acoustic snare), hi-hat 42 (closed), tom 45 (low tom), on channel 10.
struct MidiMapping {
    std::array<int, 4> notes{36, 38, 42, 45};  // 0 to 127, by drum index
    int channel = 10;                          // 1 to 16, counted as musicians count

    int note(Drum drum) const { return notes[index(drum)]; }
    friend bool operator==(const MidiMapping&, const MidiMapping&) = default;
};

// The name a DAW lists the live output under.
inline constexpr std::string_view midiPortName = "Knockbox";
// A drum has no held length; its note ends this long after it starts (s).
inline constexpr double midiNoteLength = 0.05;

// round(velocity × 127) for a velocity of 0 to 1, at least 1: a note-on of
// velocity 0 would be a note-off.
int midiVelocity(float velocity);

using MidiMessage = std::array<std::uint8_t, 3>;
MidiMessage noteOn(const MidiMapping& mapping, Drum drum, float velocity);
// Release velocity 64, the value for "not velocity-sensitive".
MidiMessage noteOff(const MidiMapping& mapping, Drum drum);

}  // namespace knockbox
