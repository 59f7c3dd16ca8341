#include "midi/midi_error.h"

#include "core/line_text.h"
#include "midi/midi_mapping.h"

namespace knockbox {
namespace {

std::string cannotOpen(std::string_view why) {
    return "Nie można otworzyć portu MIDI " + std::string(midiPortName) + ": " + std::string(why);
}

}  // namespace

MidiError MidiError::noMidiSystem() {
    return MidiError(cannotOpen("brak sekwencera ALSA (/dev/snd/seq) i działającego serwera JACK."));
}

MidiError MidiError::refused(std::string_view reason) {
    std::string text = outsideText(reason);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return MidiError(cannotOpen(text + "."));
}

}  // namespace knockbox
