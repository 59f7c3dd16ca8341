#include "audio/drum_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/audio_error.h"
#include "audio/rtaudio_output_device.h"
#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

bool validVolume(float volume) {
    return std::isfinite(volume) && volume >= 0.0f && volume <= maximumMasterVolume;
}

}  // namespace

DrumAudio::DrumAudio(float masterVolume, SoundSelection sounds)
    : DrumAudio(masterVolume, sounds, Connections{}) {}

DrumAudio::DrumAudio(float masterVolume, SoundSelection sounds, Connections connections)
    : masterVolume_(validatedMasterVolume(masterVolume)),
      bank_(connections.loadRecording ? connections.loadRecording : RecordingLoader(loadSample)),
      scheduler_(bank_, sounds),
      clock_(connections.clock ? std::move(connections.clock) : Clock(uptime)),
      owner_(std::this_thread::get_id()),
      device_(std::move(connections.device)) {
    if (!device_) device_ = openSystemOutput();
    const OutputFormat format = device_->format();
    if (!(format.sampleRate > 0) || format.channels <= 0) throw AudioError::outputUnavailable();
    mixer_ = std::make_unique<VoiceMixer>(format.sampleRate, mixSettings(masterVolume_));
    device_->start(*mixer_);
    running_ = true;
}

DrumAudio::~DrumAudio() {
    if (device_) device_->stop();
}

float DrumAudio::validatedMasterVolume(float volume) {
    if (!validVolume(volume)) throw AudioError::invalidMasterVolume();
    return volume == 0.0f ? 0.0f : volume;  // -0 becomes +0
}

MixSettings DrumAudio::mixSettings(float volume) {
    return {std::min(volume, 1.0f), volume > 1.0f ? static_cast<float>(20.0 * std::log10(volume)) : 0.0f};
}

void DrumAudio::play(Drum drum, float velocity, float pan) {
    checkThread();
    if (!running_) return;
    const std::optional<VoiceStart> start = scheduler_.schedule(drum, velocity, pan, clock_());
    // The queue holds 64 starts and the render thread empties it every few
    // milliseconds; a full queue means the device has stalled, and the hit
    // is dropped (counted by the mixer) rather than waited for.
    if (start) static_cast<void>(mixer_->start(*start));
}

void DrumAudio::stop() {
    checkThread();
    if (device_) device_->stop();
    running_ = false;
}

void DrumAudio::setSounds(const SoundSelection& sounds) {
    checkThread();
    scheduler_.setSounds(sounds);
}

bool DrumAudio::setMasterVolume(float volume) {
    checkThread();
    if (!validVolume(volume)) return false;
    volume = validatedMasterVolume(volume);
    // A full settings queue (the render thread has stalled) is a failure to
    // apply: nothing changes.
    if (!mixer_->change(mixSettings(volume))) return false;
    masterVolume_ = volume;
    return true;
}

// Checked in every build: a call from another thread would race the
// scheduler's bookkeeping and the mixer's single-producer queue.
void DrumAudio::checkThread() const {
    if (std::this_thread::get_id() == owner_) return;
    std::fputs("DrumAudio is used on the thread that created it only.\n", stderr);
    std::abort();
}

}  // namespace knockbox
