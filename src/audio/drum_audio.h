#pragma once
// The audio engine: turns a drum, a velocity and a pan position into sound.
// Every sample buffer is made when the engine is created, so a hit only looks
// up a buffer, picks one of 16 voices and sends the start to the mixer, which
// runs on the output device's thread.
//
// play, setSounds and setMasterVolume belong to the thread that created the
// engine (the main thread); calling them from another thread is a
// programming error.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "audio/drum_kit.h"
#include "audio/output_device.h"
#include "audio/peak_limiter.h"
#include "audio/sample_library.h"
#include "audio/voice_mixer.h"

namespace knockbox {

class DrumAudio {
public:
    static constexpr float defaultMasterVolume = 1.2f;
    static constexpr float maximumMasterVolume = 1.5f;
    static constexpr std::size_t voiceCount = VoiceMixer::voiceCount;
    // Seconds on a monotonic clock; the voices' end times are kept in it.
    using Clock = std::function<double()>;
    // Reads one recording of the live kit (drum, kit, layer, variation).
    using RecordingLoader = std::function<std::vector<float>(Drum, DrumKit, int, int)>;

    // What the engine is connected to; each empty part takes the system's.
    struct Connections {
        std::unique_ptr<OutputDevice> device;  // default: the system's default output
        Clock clock;                           // default: uptime()
        RecordingLoader loadRecording;         // default: loadSample
    };

    // Plays on the system's default output. Throws AudioError, or SampleError
    // (allocationFailed) when a synthesized buffer cannot be made.
    explicit DrumAudio(float masterVolume = defaultMasterVolume, SoundSelection sounds = {});
    DrumAudio(float masterVolume, SoundSelection sounds, Connections connections);
    ~DrumAudio();
    DrumAudio(const DrumAudio&) = delete;
    DrumAudio& operator=(const DrumAudio&) = delete;

    // Velocity 0 to 1, pan -1 (left) to +1 (right). Never fails: non-finite
    // input, a missing sample, zero gain or a stopped engine give silence.
    void play(Drum drum, float velocity, float pan);
    // Stops every voice and the output; the engine is not restarted.
    void stop();
    // The next hit uses the new kits (every buffer already exists).
    void setSounds(const SoundSelection& sounds);
    // False, with nothing changed, for an invalid volume.
    bool setMasterVolume(float volume);

    // The volume if it is a finite number from 0 to 1.5 (-0 counts as 0);
    // otherwise throws AudioError (invalidMasterVolume).
    static float validatedMasterVolume(float volume);
    // The limiter for a master volume: pre-gain 20·log10(volume) dB above 1.
    static PeakLimiter makeLimiter(float volume);
    // The velocity layer of a kit: soft/hard at 0.55 for the synthesized
    // kits, four layers for the recorded one. The velocity must be finite.
    static int layer(float velocity, DrumKit kit);
    // The voice gain: velocity clamped to 0…1 raised to the power 0.45; 0 for NaN.
    static float velocityGain(float velocity);

    // State, for the callers that show it and for tests.
    const SoundSelection& sounds() const { return sounds_; }
    float masterVolume() const { return masterVolume_; }
    float mixerVolume() const { return settings_.mixerGain; }
    float limiterPreGainDb() const { return settings_.preGainDb; }
    const std::array<int, 4>& variations() const { return variations_; }
    const std::array<double, voiceCount>& voiceEnds() const { return voiceEnds_; }
    std::size_t nextVoice() const { return nextVoice_; }
    bool isRunning() const { return running_; }
    std::size_t bufferCount() const { return buffers_.size(); }
    // The buffer made for a key, or null when there is none (a recording that did not load).
    const std::vector<float>* buffer(const SampleKey& key) const {
        const auto it = buffers_.find(key);
        return it == buffers_.end() ? nullptr : &it->second;
    }
    // The last start sent to the mixer (what play chose), for tests.
    const VoiceStart& lastStart() const { return lastStart_; }
    // The mixer's counters: starts taken by the render thread and when.
    const VoiceMixer& mixer() const { return *mixer_; }
    OutputFormat outputFormat() const { return device_->format(); }

private:
    void buildBuffers(const RecordingLoader& loadRecording);
    const std::vector<float>* findBuffer(DrumKit kit, Drum drum, int layer, int variation) const;
    std::size_t chooseVoice(double now) const;
    void checkThread() const;

    float masterVolume_;
    MixSettings settings_;
    std::unordered_map<SampleKey, std::vector<float>, SampleKeyHash> buffers_;
    SoundSelection sounds_;
    std::array<int, 4> variations_{};
    std::array<double, voiceCount> voiceEnds_{};
    std::size_t nextVoice_ = 0;
    VoiceStart lastStart_;
    Clock clock_;
    std::thread::id owner_;
    bool running_ = false;
    // Declared after the buffers: destroyed first, so the render thread has
    // stopped before any buffer it may read is freed.
    std::unique_ptr<VoiceMixer> mixer_;
    std::unique_ptr<OutputDevice> device_;
};

}  // namespace knockbox
