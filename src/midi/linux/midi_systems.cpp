#include "midi/midi_systems.h"

#include <jack/jack.h>
#include <unistd.h>

namespace knockbox {
namespace {

void ignore(const char*) {}

// Asked of the server itself, never started: a client that connects means
// one runs. libjack writes its errors and notes to standard error unless told
// otherwise; this process's lines are the player's own, so its messages are
// switched off for good (RtMidi's client, made next, shares the setting).
bool jackServerRuns() {
    jack_set_error_function(ignore);
    jack_set_info_function(ignore);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("Knockbox probe", JackNoStartServer, &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
}

}  // namespace

std::span<const MidiSystem> midiSystems() {
    static constexpr MidiSystem systems[] = {MidiSystem::alsa, MidiSystem::jack};
    return systems;
}

bool midiSystemReady(MidiSystem system) {
    switch (system) {
        // Checked first: opening a missing or forbidden sequencer makes ALSA
        // print to standard error.
        case MidiSystem::alsa: return access("/dev/snd/seq", R_OK | W_OK) == 0;
        case MidiSystem::jack: return jackServerRuns();
        case MidiSystem::coreMidi: return false;
    }
    return false;
}

}  // namespace knockbox
