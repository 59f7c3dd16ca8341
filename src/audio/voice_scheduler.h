#pragma once
// The main thread's half of the audio engine: for each hit, which buffer
// plays (kit, velocity layer, round-robin variation), on which of the 16
// voices (a free one after the last used, else the one that ends first), at
// which gain and pan. The render thread only carries out the starts.

#include <array>
#include <optional>

#include "audio/drum_kit.h"
#include "audio/sample_bank.h"
#include "audio/voice_mixer.h"

namespace knockbox {

class VoiceScheduler {
public:
    static constexpr std::size_t voiceCount = VoiceMixer::voiceCount;

    // The bank must outlive the scheduler.
    VoiceScheduler(const SampleBank& bank, SoundSelection sounds) : bank_(bank), sounds_(sounds) {}

    // The start of a hit at `now` (seconds on any steady clock), or nothing
    // for a silent one: non-finite velocity or pan, zero gain, no buffer.
    // Round robin and voices move only when a start is returned.
    std::optional<VoiceStart> schedule(Drum drum, float velocity, float pan, double now);

    void setSounds(const SoundSelection& sounds) { sounds_ = sounds; }
    const SoundSelection& sounds() const { return sounds_; }

    // The velocity layer of a kit: soft/hard at `softLayerBelow` for the
    // synthesized kits, four layers for the recorded one. The velocity must
    // be finite.
    static int layer(float velocity, DrumKit kit);
    // The voice gain: velocity clamped to 0…1 raised to the power 0.45; 0 for NaN.
    static float velocityGain(float velocity);

private:
    std::size_t chooseVoice(double now) const;

    const SampleBank& bank_;
    SoundSelection sounds_;
    std::array<int, 4> variations_{};  // per drum, counting to a multiple of every kit's count
    std::array<double, voiceCount> voiceEnds_{};
    std::size_t nextVoice_ = 0;
};

}  // namespace knockbox
