#include "midi/midi_mapping.h"

#include <algorithm>
#include <cmath>

namespace knockbox {
namespace {

std::uint8_t statusByte(std::uint8_t kind, const MidiMapping& mapping) {
    return static_cast<std::uint8_t>(kind | ((mapping.channel - 1) & 0x0F));
}

std::uint8_t dataByte(int value) { return static_cast<std::uint8_t>(value & 0x7F); }

}  // namespace

int midiVelocity(float velocity) {
    if (!(velocity > 0.0f)) return 1;  // NaN too
    return std::clamp(static_cast<int>(std::lround(std::min(velocity, 1.0f) * 127.0f)), 1, 127);
}

MidiMessage noteOn(const MidiMapping& mapping, Drum drum, float velocity) {
    return {statusByte(0x90, mapping), dataByte(mapping.note(drum)), dataByte(midiVelocity(velocity))};
}

MidiMessage noteOff(const MidiMapping& mapping, Drum drum) {
    return {statusByte(0x80, mapping), dataByte(mapping.note(drum)), 64};
}

}  // namespace knockbox
