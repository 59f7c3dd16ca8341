#pragma once
// The audio engine: turns a drum, a velocity and a pan position into sound.
// Every sample buffer is made when the engine is created, so a hit only looks
// up a buffer, picks one of 16 voices and sends the start to the mixer, which
// runs on the output device's thread.
//
// play, stop, setSounds and setMasterVolume belong to the thread that created
// the engine (the main thread); a call from another thread is a programming
// error that ends the program.

#include <functional>
#include <memory>
#include <thread>

#include "audio/drum_kit.h"
#include "audio/master_volume.h"
#include "audio/output_device.h"
#include "audio/sample_bank.h"
#include "audio/voice_mixer.h"
#include "audio/voice_scheduler.h"

namespace knockbox {

class DrumAudio {
public:
    static constexpr std::size_t voiceCount = VoiceMixer::voiceCount;
    // Seconds on a monotonic clock; the voices' end times are kept in it.
    using Clock = std::function<double()>;
    using RecordingLoader = SampleBank::RecordingLoader;

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
    // How a master volume is applied: up to 1 as the mixer's gain, the rest
    // as the limiter's pre-gain (20·log10(volume) dB).
    static MixSettings mixSettings(float volume);

    const SoundSelection& sounds() const { return scheduler_.sounds(); }
    float masterVolume() const { return masterVolume_; }
    bool isRunning() const { return running_; }
    // Live recordings that did not load; their hits play studio sounds.
    std::size_t missingRecordings() const { return bank_.missingRecordings(); }
    // The render side's counters (starts taken and when), for latency checks.
    const VoiceMixer& mixer() const { return *mixer_; }
    OutputFormat outputFormat() const { return device_->format(); }

private:
    void checkThread() const;

    float masterVolume_;
    SampleBank bank_;
    VoiceScheduler scheduler_;
    Clock clock_;
    std::thread::id owner_;
    bool running_ = false;
    // Declared after the buffers: destroyed first, so the render thread has
    // stopped before any buffer it may read is freed.
    std::unique_ptr<VoiceMixer> mixer_;
    std::unique_ptr<OutputDevice> device_;
};

}  // namespace knockbox
