#pragma once
// The last stage before the output: a look-ahead peak limiter that keeps
// every output sample within 0 dBFS. The signal is delayed by the attack time
// so that the gain has already come down when a peak leaves; afterwards the
// gain recovers with the release time. Parameters are in user units
// (dB, seconds); process() never allocates and takes bounded time.

#include <array>
#include <cstddef>

#include "audio/sliding_minimum.h"

namespace knockbox {

class PeakLimiter {
public:
    static constexpr double attackSeconds = 0.001;
    static constexpr double releaseSeconds = 0.05;
    static constexpr float ceiling = 1.0f;  // 0 dBFS

    // Derives the coefficients for the rate (Hz, > 0) and clears the state.
    void prepare(double sampleRate);
    // Clears the running state only: delay line, gain, look-ahead window.
    void reset();

    // Gain applied before limiting, in dB (0 for none). The change ramps over
    // the next block instead of stepping.
    void setPreGainDb(float db);
    float preGainDb() const { return preGainDb_; }

    // Limits a stereo block in place.
    void process(float* left, float* right, std::size_t frames) noexcept;

    // The delay the look-ahead adds, in frames.
    std::size_t latencyFrames() const { return lookahead_ - 1; }

private:
    static constexpr std::size_t maxLookahead = 256;  // 1 ms at up to 256 kHz

    void update();
    float smoothedGain(float envelope) noexcept;

    double sampleRate_ = 48000.0;
    float preGainDb_ = 0.0f;
    float preGainTarget_ = 1.0f;  // linear
    float preGain_ = 1.0f;        // linear, ramps towards the target
    float releaseCoefficient_ = 0.0f;
    std::size_t lookahead_ = 48;  // frames of the attack time

    // Running state.
    std::size_t position_ = 0;  // frames processed since the last reset
    std::array<float, maxLookahead> delayLeft_{};
    std::array<float, maxLookahead> delayRight_{};
    // The smallest gain any frame in the look-ahead window requires.
    SlidingMinimum<maxLookahead> requiredGain_;
    float envelope_ = 1.0f;
    // Moving average of the envelope over the look-ahead window, so the gain
    // ramps down across the attack time instead of jumping.
    std::array<float, maxLookahead> averageWindow_{};
    double averageSum_ = 0.0;
};

}  // namespace knockbox
