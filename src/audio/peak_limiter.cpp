#include "audio/peak_limiter.h"

#include <algorithm>
#include <cmath>

namespace knockbox {

void PeakLimiter::prepare(double rate) {
    sampleRate_ = rate;
    update();
    reset();
}

void PeakLimiter::update() {
    const double attackFrames = std::round(attackSeconds * sampleRate_);
    lookahead_ = static_cast<std::size_t>(std::clamp(attackFrames, 1.0, static_cast<double>(maxLookahead)));
    releaseCoefficient_ = static_cast<float>(std::exp(-1.0 / (releaseSeconds * sampleRate_)));
    preGainTarget_ = static_cast<float>(std::pow(10.0, static_cast<double>(preGainDb_) / 20.0));
}

void PeakLimiter::reset() {
    position_ = 0;
    delayLeft_.fill(0.0f);
    delayRight_.fill(0.0f);
    requiredGain_.setLength(lookahead_);
    envelope_ = 1.0f;
    averageWindow_.fill(1.0f);
    averageSum_ = static_cast<double>(lookahead_);
    preGain_ = preGainTarget_;
}

void PeakLimiter::setPreGainDb(float db) {
    preGainDb_ = db;
    update();
}

float PeakLimiter::smoothedGain(float envelope) noexcept {
    const std::size_t slot = position_ % lookahead_;
    averageSum_ += static_cast<double>(envelope) - static_cast<double>(averageWindow_[slot]);
    averageWindow_[slot] = envelope;
    if (slot == lookahead_ - 1) {
        // Re-add once per window so rounding never accumulates.
        averageSum_ = 0.0;
        for (std::size_t i = 0; i < lookahead_; ++i) averageSum_ += static_cast<double>(averageWindow_[i]);
    }
    return static_cast<float>(averageSum_ / static_cast<double>(lookahead_));
}

void PeakLimiter::process(float* left, float* right, std::size_t frames) noexcept {
    if (frames == 0) return;
    const float preGainStep = (preGainTarget_ - preGain_) / static_cast<float>(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        preGain_ = i + 1 == frames ? preGainTarget_ : preGain_ + preGainStep;
        const float inLeft = left[i] * preGain_;
        const float inRight = right[i] * preGain_;

        // The gain this frame needs, held over the look-ahead window, released
        // slowly, then averaged over the window: when a frame leaves the delay
        // line, every gain in the average was at most the one it needed.
        const float peak = std::max(std::fabs(inLeft), std::fabs(inRight));
        const float required = peak > ceiling ? ceiling / peak : 1.0f;
        const float held = requiredGain_.push(required);
        envelope_ = held < envelope_ ? held : held + (envelope_ - held) * releaseCoefficient_;
        const float gain = smoothedGain(envelope_);

        // Delay by lookahead - 1 frames: write this frame, read the oldest.
        const std::size_t slot = position_ % lookahead_;
        delayLeft_[slot] = inLeft;
        delayRight_[slot] = inRight;
        const std::size_t oldest = (slot + 1) % lookahead_;
        // The clamp only catches rounding: the gain has already done the work.
        left[i] = std::clamp(delayLeft_[oldest] * gain, -ceiling, ceiling);
        right[i] = std::clamp(delayRight_[oldest] * gain, -ceiling, ceiling);
        ++position_;
    }
}

}  // namespace knockbox
