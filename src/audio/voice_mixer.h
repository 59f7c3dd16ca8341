#pragma once
// The real-time half of the audio engine. The main thread decides which voice
// plays what and sends each start through a queue; the device's thread pulls
// blocks from render(), which mixes the voices with equal-power pan, applies
// the mixer gain and the peak limiter.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "audio/output_device.h"
#include "audio/peak_limiter.h"
#include "audio/spsc_queue.h"

namespace knockbox {

// One voice start. The samples (mono, 48 kHz) belong to the engine and stay
// untouched for as long as the mixer can read them.
struct VoiceStart {
    const float* samples = nullptr;
    std::uint32_t frames = 0;
    std::uint32_t voice = 0;  // 0 to 15; a start cuts whatever that voice played
    float gain = 0;           // linear
    float pan = 0;            // -1 left to +1 right
};

// Master volume as the mixer applies it.
struct MixSettings {
    float mixerGain = 1;    // 0 to 1, ramped over one block
    float preGainDb = 0;    // the limiter's pre-gain
};

class VoiceMixer final : public RenderSource {
public:
    static constexpr std::size_t voiceCount = 16;
    static constexpr double sourceRate = 48000.0;  // the rate of every sample buffer
    static constexpr std::size_t blockFrames = 256;  // the largest block mixed at once
    using StartQueue = SpscQueue<VoiceStart, 64>;
    using SettingsQueue = SpscQueue<MixSettings, 16>;

    // outputRate is the device's; buffers are resampled to it when it differs.
    VoiceMixer(double outputRate, MixSettings settings);

    // Main thread. False when the queue is full: the start is dropped and counted.
    [[nodiscard]] bool start(const VoiceStart& start) noexcept;
    [[nodiscard]] bool change(const MixSettings& settings) noexcept;
    std::uint64_t droppedStarts() const { return droppedStarts_; }

    // Any thread: what the render thread has done so far.
    std::uint64_t startsTaken() const { return startsTaken_.load(std::memory_order_acquire); }
    // Uptime (seconds) when the render thread last took a start; 0 before the first.
    double lastStartTakenAt() const { return lastStartTakenAt_.load(std::memory_order_acquire); }
    std::uint64_t framesRendered() const { return framesRendered_.load(std::memory_order_acquire); }
    // Frames rendered before the block that last took a start: where in the
    // output that voice began, counted in frames, which a busy machine does
    // not stretch as it stretches time.
    std::uint64_t lastStartFrame() const { return lastStartFrame_.load(std::memory_order_acquire); }

    // Render thread: never allocates, locks, logs or waits.
    void render(float* interleaved, std::size_t frames, int channels) noexcept override;
    // Render thread (or a test driving an offline device): voices still sounding.
    std::size_t activeVoices() const;

private:
    struct Voice {
        const float* samples = nullptr;  // null when silent
        std::uint32_t frames = 0;
        double position = 0;  // in source frames
        float left = 0, right = 0;
    };

    void takeMessages() noexcept;
    void mixVoice(Voice& voice, std::size_t frames) noexcept;
    void mixBlock(float* interleaved, std::size_t frames, int channels) noexcept;

    // Shared between the threads.
    StartQueue starts_;
    SettingsQueue settings_;
    std::atomic<std::uint64_t> startsTaken_{0};         // written by the render thread
    std::atomic<double> lastStartTakenAt_{0.0};         // written by the render thread
    std::atomic<std::uint64_t> framesRendered_{0};      // written by the render thread
    std::atomic<std::uint64_t> lastStartFrame_{0};      // written by the render thread
    std::uint64_t droppedStarts_ = 0;                   // main thread only

    // Render thread only.
    double step_;  // source frames per output frame
    std::uint64_t blockStartFrame_ = 0;  // frames rendered before the block being mixed
    std::array<Voice, voiceCount> voices_{};
    float mixerGain_;
    float mixerGainTarget_;
    PeakLimiter limiter_;
    std::array<float, blockFrames> left_{};
    std::array<float, blockFrames> right_{};
};

}  // namespace knockbox
