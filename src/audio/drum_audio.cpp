#include "audio/drum_audio.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <exception>
#include <new>

#include "audio/audio_error.h"
#include "audio/rtaudio_output_device.h"
#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

constexpr std::size_t bufferRoom = 96;  // 48 synthesized + 48 recorded
constexpr int roundRobinLength = 6;     // a multiple of every kit's variation count

bool validVolume(float volume) {
    return std::isfinite(volume) && volume >= 0.0f && volume <= DrumAudio::maximumMasterVolume;
}

MixSettings settingsFor(float volume) {
    // Up to 1 the volume is the mixer's gain; the excess becomes limiter pre-gain.
    return {std::min(volume, 1.0f), volume > 1.0f ? static_cast<float>(20.0 * std::log10(volume)) : 0.0f};
}

}  // namespace

DrumAudio::DrumAudio(float masterVolume, SoundSelection sounds)
    : DrumAudio(masterVolume, sounds, Connections{}) {}

DrumAudio::DrumAudio(float masterVolume, SoundSelection sounds, Connections connections)
    : masterVolume_(validatedMasterVolume(masterVolume)),
      settings_(settingsFor(masterVolume_)),
      sounds_(sounds),
      clock_(connections.clock ? std::move(connections.clock) : Clock(uptime)),
      owner_(std::this_thread::get_id()),
      device_(std::move(connections.device)) {
    buildBuffers(connections.loadRecording ? connections.loadRecording : RecordingLoader(loadSample));
    if (!device_) device_ = openSystemOutput();
    const OutputFormat format = device_->format();
    if (!(format.sampleRate > 0) || format.channels <= 0) throw AudioError::outputUnavailable();
    mixer_ = std::make_unique<VoiceMixer>(format.sampleRate, settings_);
    device_->start(*mixer_);
    running_ = true;
}

DrumAudio::~DrumAudio() {
    if (device_) device_->stop();
}

void DrumAudio::buildBuffers(const RecordingLoader& loadRecording) {
    buffers_.reserve(bufferRoom);
    for (DrumKit kit : allKits) {
        for (Drum drum : allDrums) {
            for (int layerIndex = 0; layerIndex < layerCount(kit); ++layerIndex) {
                for (int variation = 0; variation < variationCount(kit); ++variation) {
                    const SampleKey key{kit, drum, layerIndex, variation};
                    if (!sampled(kit)) {
                        try {
                            buffers_.emplace(key, synthesize(drum, kit, layerIndex == 0, variation));
                        } catch (const std::bad_alloc&) {
                            throw SampleError::allocationFailed();
                        }
                        continue;
                    }
                    // A missing or malformed recording never stops the engine:
                    // play falls back to the studio sample.
                    try {
                        std::vector<float> samples = loadRecording(drum, kit, layerIndex, variation);
                        if (!samples.empty()) buffers_.emplace(key, std::move(samples));
                    } catch (const std::exception&) {
                    }
                }
            }
        }
    }
}

float DrumAudio::validatedMasterVolume(float volume) {
    if (!validVolume(volume)) throw AudioError::invalidMasterVolume();
    return volume == 0.0f ? 0.0f : volume;  // -0 becomes +0
}

PeakLimiter DrumAudio::makeLimiter(float volume) {
    PeakLimiter limiter;
    limiter.setPreGainDb(settingsFor(validatedMasterVolume(volume)).preGainDb);
    return limiter;
}

int DrumAudio::layer(float velocity, DrumKit kit) {
    if (!sampled(kit)) return velocity < 0.55f ? 0 : 1;
    const float x = (velocity - 0.15f) / 0.85f * 4.0f;
    return std::clamp(static_cast<int>(std::trunc(std::clamp(x, -1.0f, 4.0f))), 0, 3);
}

float DrumAudio::velocityGain(float velocity) {
    if (!std::isfinite(velocity)) return 0.0f;
    const double clamped = std::clamp(static_cast<double>(velocity), 0.0, 1.0);
    return static_cast<float>(std::pow(clamped, 0.45));
}

const std::vector<float>* DrumAudio::findBuffer(DrumKit kit, Drum drum, int layerIndex, int variation) const {
    if (auto it = buffers_.find({kit, drum, layerIndex, variation}); it != buffers_.end()) return &it->second;
    // A recording that did not load: the studio sample of the same drum, soft
    // or hard, at the same variation parity.
    if (auto it = buffers_.find({DrumKit::studio, drum, std::min(layerIndex, 1), variation % 2});
        it != buffers_.end()) {
        return &it->second;
    }
    return nullptr;
}

std::size_t DrumAudio::chooseVoice(double now) const {
    for (std::size_t i = 0; i < voiceCount; ++i) {
        const std::size_t voice = (nextVoice_ + i) % voiceCount;
        if (voiceEnds_[voice] <= now) return voice;
    }
    // All busy: cut the one that ends first (the lowest index on a tie).
    return static_cast<std::size_t>(std::min_element(voiceEnds_.begin(), voiceEnds_.end()) - voiceEnds_.begin());
}

void DrumAudio::play(Drum drum, float velocity, float pan) {
    checkThread();
    if (!std::isfinite(velocity) || !std::isfinite(pan)) return;
    const DrumKit kit = sounds_.kit(drum);
    const int layerIndex = layer(velocity, kit);
    if (buffers_.empty()) return;
    int& counter = variations_[index(drum)];
    const int variation = counter % variationCount(kit);
    const std::vector<float>* buffer = findBuffer(kit, drum, layerIndex, variation);
    if (!buffer) return;
    const float gain = velocityGain(velocity);
    if (!(gain > 0.0f)) return;
    if (!running_) return;
    // The counter only moves when a sound is about to play.
    counter = (counter + 1) % roundRobinLength;

    const double now = clock_();
    const std::size_t voice = chooseVoice(now);
    lastStart_ = {buffer->data(), static_cast<std::uint32_t>(buffer->size()), static_cast<std::uint32_t>(voice),
                  gain, std::clamp(pan, -1.0f, 1.0f)};
    // The queue holds 64 starts and the render thread empties it every few
    // milliseconds; a full queue means the device has stalled, and the hit
    // is dropped (counted by the mixer) rather than waited for.
    [[maybe_unused]] const bool queued = mixer_->start(lastStart_);
    voiceEnds_[voice] = now + static_cast<double>(buffer->size()) / sampleRate;
    nextVoice_ = (voice + 1) % voiceCount;
}

void DrumAudio::stop() {
    checkThread();
    if (device_) device_->stop();
    running_ = false;
}

void DrumAudio::setSounds(const SoundSelection& sounds) {
    checkThread();
    sounds_ = sounds;
}

bool DrumAudio::setMasterVolume(float volume) {
    checkThread();
    if (!validVolume(volume)) return false;
    volume = validatedMasterVolume(volume);
    const MixSettings settings = settingsFor(volume);
    // A full settings queue (the render thread has stalled) is a failure to
    // apply: nothing changes.
    if (!mixer_->change(settings)) return false;
    masterVolume_ = volume;
    settings_ = settings;
    return true;
}

void DrumAudio::checkThread() const {
    assert(std::this_thread::get_id() == owner_ && "DrumAudio is used on the thread that created it");
}

}  // namespace knockbox
