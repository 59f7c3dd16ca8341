#include "midi/midi_output.h"

#include <RtMidi.h>

#include "midi/midi_error.h"
#include "platform/monotonic_clock.h"

namespace knockbox {

// RtMidi reports through this instead of printing to standard error (its
// default for warnings) or throwing mid-run.
void noteMidiError(int type, const std::string& text, void* output) {
    auto& self = *static_cast<MidiOutput*>(output);
    if (type == RtMidiError::DEBUG_WARNING) return;
    if (self.opening_) {
        if (self.openError_.empty()) self.openError_ = text;
    } else {
        ++self.failedSends_;
    }
}

namespace {

RtMidi::Api api(MidiSystem system) {
    switch (system) {
        case MidiSystem::coreMidi: return RtMidi::MACOSX_CORE;
        case MidiSystem::alsa: return RtMidi::LINUX_ALSA;
        case MidiSystem::jack: return RtMidi::UNIX_JACK;
    }
    return RtMidi::UNSPECIFIED;
}

void reportMidiError(RtMidiError::Type type, const std::string& text, void* output) {
    noteMidiError(type, text, output);
}

}  // namespace

MidiOutput::MidiOutput(MidiMapping mapping, RunLoop& loop) : mapping_(mapping), loop_(loop) {
    bool anyReady = false;
    for (MidiSystem system : midiSystems()) {
        if (!midiSystemReady(system)) continue;
        anyReady = true;
        openError_.clear();
        try {
            auto out = std::make_unique<RtMidiOut>(api(system), std::string(midiPortName));
            out->setErrorCallback(reportMidiError, this);
            out->openVirtualPort(std::string(midiPortName));
            if (openError_.empty()) {
                out_ = std::move(out);
                system_ = system;
                break;
            }
        } catch (const RtMidiError& error) {
            openError_ = error.getMessage();
        }
    }
    opening_ = false;
    if (!anyReady) throw MidiError::noMidiSystem();
    if (!out_) throw MidiError::refused(openError_);
}

MidiOutput::~MidiOutput() {
    finish();
    if (out_) out_->closePort();
}

void MidiOutput::play(Drum drum, float velocity) {
    send(noteOn(mapping_, drum, velocity));
    lastNoteOnAt_ = uptime();
    const RunLoop::Token timer = loop_.schedule(midiNoteLength, [this] { endOldestNote(); });
    sounding_.push_back({timer, drum});
}

void MidiOutput::endOldestNote() {
    if (sounding_.empty()) return;
    const Sounding note = sounding_.front();
    sounding_.pop_front();
    loop_.cancel(note.timer);
    send(noteOff(mapping_, note.drum));
}

void MidiOutput::finish() {
    while (!sounding_.empty()) endOldestNote();
}

void MidiOutput::send(const MidiMessage& message) { out_->sendMessage(message.data(), message.size()); }

}  // namespace knockbox
