#include "audio/voice_mixer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/monotonic_clock.h"

namespace knockbox {

static_assert(std::atomic<double>::is_always_lock_free && std::atomic<std::uint64_t>::is_always_lock_free,
              "the render thread must never lock");

VoiceMixer::VoiceMixer(double outputRate, MixSettings settings)
    : step_(sourceRate / outputRate), mixerGain_(settings.mixerGain), mixerGainTarget_(settings.mixerGain) {
    limiter_.setPreGainDb(settings.preGainDb);
    limiter_.prepare(outputRate);
}

bool VoiceMixer::start(const VoiceStart& start) noexcept {
    if (starts_.tryPush(start)) return true;
    ++droppedStarts_;
    return false;
}

bool VoiceMixer::change(const MixSettings& settings) noexcept { return settings_.tryPush(settings); }

std::size_t VoiceMixer::activeVoices() const {
    return static_cast<std::size_t>(
        std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.samples != nullptr; }));
}

void VoiceMixer::takeMessages() noexcept {
    MixSettings settings;
    while (settings_.tryPop(settings)) {
        mixerGainTarget_ = settings.mixerGain;
        limiter_.setPreGainDb(settings.preGainDb);
    }
    VoiceStart start;
    double takenAt = 0;  // one clock read per block, and only when a start comes
    while (starts_.tryPop(start)) {
        if (start.voice >= voiceCount) continue;
        // Equal-power pan: the two gains keep left² + right² constant.
        const double angle = (std::clamp(start.pan, -1.0f, 1.0f) + 1.0) * std::numbers::pi / 4.0;
        Voice& voice = voices_[start.voice];
        voice.samples = start.frames > 0 ? start.samples : nullptr;
        voice.frames = start.frames;
        voice.position = 0;
        voice.left = static_cast<float>(start.gain * std::cos(angle));
        voice.right = static_cast<float>(start.gain * std::sin(angle));
        // When and where first, then the count: whoever sees the count
        // (acquire) sees this start's time and frame, never the last one's.
        if (takenAt == 0) takenAt = uptime();
        lastStartTakenAt_.store(takenAt, std::memory_order_relaxed);
        lastStartFrame_.store(blockStartFrame_, std::memory_order_relaxed);
        startsTaken_.fetch_add(1, std::memory_order_release);
    }
}

void VoiceMixer::mixVoice(Voice& voice, std::size_t frames) noexcept {
    const float* samples = voice.samples;
    if (step_ == 1.0) {
        const auto first = static_cast<std::size_t>(voice.position);
        const std::size_t count = std::min<std::size_t>(frames, voice.frames - first);
        for (std::size_t i = 0; i < count; ++i) {
            left_[i] += samples[first + i] * voice.left;
            right_[i] += samples[first + i] * voice.right;
        }
        voice.position = static_cast<double>(first + count);
    } else {
        // Linear interpolation between neighbouring source frames.
        const double last = static_cast<double>(voice.frames - 1);
        for (std::size_t i = 0; i < frames && voice.position < last; ++i) {
            const auto index = static_cast<std::size_t>(voice.position);
            const auto fraction = static_cast<float>(voice.position - static_cast<double>(index));
            const float sample = samples[index] + (samples[index + 1] - samples[index]) * fraction;
            left_[i] += sample * voice.left;
            right_[i] += sample * voice.right;
            voice.position += step_;
        }
        if (voice.position >= last) voice.position = static_cast<double>(voice.frames);
    }
    if (voice.position >= static_cast<double>(voice.frames)) voice.samples = nullptr;
}

void VoiceMixer::mixBlock(float* out, std::size_t frames, int channels) noexcept {
    takeMessages();
    std::fill_n(left_.begin(), frames, 0.0f);
    std::fill_n(right_.begin(), frames, 0.0f);
    for (Voice& voice : voices_) {
        if (voice.samples) mixVoice(voice, frames);
    }

    // Master volume up to 1, ramped so a change never clicks.
    const float gainStep = (mixerGainTarget_ - mixerGain_) / static_cast<float>(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const float gain = i + 1 == frames ? mixerGainTarget_ : mixerGain_ + gainStep * static_cast<float>(i + 1);
        left_[i] *= gain;
        right_[i] *= gain;
    }
    mixerGain_ = mixerGainTarget_;
    limiter_.process(left_.data(), right_.data(), frames);

    const auto stride = static_cast<std::size_t>(channels);
    for (std::size_t i = 0; i < frames; ++i) {
        float* frame = out + i * stride;
        if (channels == 1) {
            frame[0] = 0.5f * (left_[i] + right_[i]);
            continue;
        }
        frame[0] = left_[i];
        frame[1] = right_[i];
        for (std::size_t c = 2; c < stride; ++c) frame[c] = 0.0f;
    }
}

void VoiceMixer::render(float* interleaved, std::size_t frames, int channels) noexcept {
    // Never allocates, locks, logs or waits: messages come through the
    // wait-free queues, every buffer is preallocated, and the only system call
    // is the monotonic clock read when a start is taken.
    if (channels <= 0) return;
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t block = std::min(blockFrames, frames - done);
        blockStartFrame_ = framesRendered_.load(std::memory_order_relaxed) + done;
        mixBlock(interleaved + done * static_cast<std::size_t>(channels), block, channels);
        done += block;
    }
    framesRendered_.fetch_add(frames, std::memory_order_release);
}

}  // namespace knockbox
