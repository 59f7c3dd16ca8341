#pragma once
// Live MIDI out: a virtual port named "Knockbox" that music software (a DAW,
// a drum sampler) lists as an input. Each drum goes out as a note-on the
// moment it is played and its note-off midiNoteLength later, timed on the
// run loop. Main thread only: the audio thread never sees any of it.

#include <deque>
#include <memory>
#include <string>

#include "midi/midi_mapping.h"
#include "midi/midi_systems.h"
#include "platform/run_loop.h"

class RtMidiOut;

namespace knockbox {

class MidiOutput {
public:
    // Opens the port on the first MIDI system that is ready and takes it
    // (midi_systems.h). Throws MidiError when none is ready, or with the last
    // system's words when every ready one refused.
    MidiOutput(MidiMapping mapping, RunLoop& loop);
    // Ends the notes still sounding, then closes the port.
    ~MidiOutput();
    MidiOutput(const MidiOutput&) = delete;
    MidiOutput& operator=(const MidiOutput&) = delete;

    // The drum's note-on, handed to the system now (it queues, never waits),
    // and its note-off scheduled.
    void play(Drum drum, float velocity);
    // Sends every scheduled note-off at once, so no note is left hanging.
    void finish();

    MidiSystem system() const { return system_; }
    // Messages the system refused after the port opened (a JACK server that
    // went away, say).
    unsigned long failedSends() const { return failedSends_; }
    // uptime() when the latest note-on had been handed to the system; 0
    // before the first (the latency bench reads it).
    double lastNoteOnAt() const { return lastNoteOnAt_; }

private:
    struct Sounding {
        RunLoop::Token timer;
        Drum drum;
    };
    friend void noteMidiError(int type, const std::string& text, void* output);

    void send(const MidiMessage& message);
    void endOldestNote();

    MidiMapping mapping_;
    RunLoop& loop_;
    std::unique_ptr<RtMidiOut> out_;
    MidiSystem system_ = MidiSystem::coreMidi;
    // Oldest first: every note lasts as long, so their timers fire in this order.
    std::deque<Sounding> sounding_;
    bool opening_ = true;
    std::string openError_;  // the system's words while the port opens
    unsigned long failedSends_ = 0;
    double lastNoteOnAt_ = 0;
};

}  // namespace knockbox
