#include "midi/midi_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace knockbox {
namespace {

constexpr int ticksPerBeat = 500;
constexpr std::uint32_t microsecondsPerBeat = 500'000;  // 120 beats per minute: 1 tick = 1 ms

struct Event {
    std::int64_t tick;
    MidiMessage message;
};

void bigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// A delta time: seven bits a byte, most significant first, the high bit set
// on all but the last.
void variableLength(std::string& out, std::uint64_t value) {
    char bytes[10];
    int count = 0;
    do {
        bytes[count++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value > 0);
    while (count > 1) out += static_cast<char>(bytes[--count] | 0x80);
    out += bytes[0];
}

std::int64_t tickOf(double seconds) { return std::max<std::int64_t>(0, std::llround(seconds * 1000.0)); }

}  // namespace

std::string standardMidiFile(std::span<const SoundedDrum> drums, const MidiMapping& mapping) {
    std::vector<Event> events;
    events.reserve(2 * drums.size());
    for (const SoundedDrum& drum : drums) {
        events.push_back({tickOf(drum.time), noteOn(mapping, drum.drum, drum.velocity)});
        events.push_back({tickOf(drum.time + midiNoteLength), noteOff(mapping, drum.drum)});
    }
    // At the same tick a note ends before the next one starts, so a repeated
    // note is never cut by its own predecessor's note-off.
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : (a.message[0] & 0xF0) < (b.message[0] & 0xF0);
    });

    std::string track;
    const std::string_view name = midiPortName;
    track += std::string("\x00\xFF\x03", 3);  // track name
    variableLength(track, name.size());
    track += name;
    track += std::string("\x00\xFF\x51\x03", 4);  // tempo
    bigEndian(track, microsecondsPerBeat, 3);
    track += std::string("\x00\xFF\x58\x04\x04\x02\x18\x08", 8);  // 4/4
    std::int64_t last = 0;
    for (const Event& event : events) {
        variableLength(track, static_cast<std::uint64_t>(event.tick - last));
        track.append(reinterpret_cast<const char*>(event.message.data()), event.message.size());
        last = event.tick;
    }
    track += std::string("\x00\xFF\x2F\x00", 4);  // end of track

    std::string file = "MThd";
    bigEndian(file, 6, 4);
    bigEndian(file, 0, 2);  // format 0
    bigEndian(file, 1, 2);  // one track
    bigEndian(file, ticksPerBeat, 2);
    file += "MTrk";
    bigEndian(file, track.size(), 4);
    return file + track;
}

}  // namespace knockbox
