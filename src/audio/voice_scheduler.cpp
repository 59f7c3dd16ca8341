#include "audio/voice_scheduler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace knockbox {
namespace {

constexpr int roundRobinLength = 6;  // a multiple of every kit's variation count

}  // namespace

int VoiceScheduler::layer(float velocity, DrumKit kit) {
    if (!sampled(kit)) return velocity < softLayerBelow ? 0 : 1;
    const float x = (velocity - 0.15f) / 0.85f * 4.0f;
    return std::clamp(static_cast<int>(std::trunc(std::clamp(x, -1.0f, 4.0f))), 0, 3);
}

float VoiceScheduler::velocityGain(float velocity) {
    if (!std::isfinite(velocity)) return 0.0f;
    const double clamped = std::clamp(static_cast<double>(velocity), 0.0, 1.0);
    return static_cast<float>(std::pow(clamped, 0.45));
}

std::size_t VoiceScheduler::chooseVoice(double now) const {
    for (std::size_t i = 0; i < voiceCount; ++i) {
        const std::size_t voice = (nextVoice_ + i) % voiceCount;
        if (voiceEnds_[voice] <= now) return voice;
    }
    // All busy: cut the one that ends first (the lowest index on a tie).
    return static_cast<std::size_t>(std::min_element(voiceEnds_.begin(), voiceEnds_.end()) - voiceEnds_.begin());
}

std::optional<VoiceStart> VoiceScheduler::schedule(Drum drum, float velocity, float pan, double now) {
    if (!std::isfinite(velocity) || !std::isfinite(pan)) return std::nullopt;
    const DrumKit kit = sounds_.kit(drum);
    int& counter = variations_[index(drum)];
    const std::vector<float>* buffer =
        bank_.find({kit, drum, layer(velocity, kit), counter % variationCount(kit)});
    const float gain = velocityGain(velocity);
    if (!buffer || !(gain > 0.0f)) return std::nullopt;

    counter = (counter + 1) % roundRobinLength;
    const std::size_t voice = chooseVoice(now);
    voiceEnds_[voice] = now + static_cast<double>(buffer->size()) / sampleRate;
    nextVoice_ = (voice + 1) % voiceCount;
    return VoiceStart{buffer->data(), static_cast<std::uint32_t>(buffer->size()), static_cast<std::uint32_t>(voice),
                      gain, std::clamp(pan, -1.0f, 1.0f)};
}

}  // namespace knockbox
