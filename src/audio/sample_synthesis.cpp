#include "audio/sample_synthesis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <numbers>

#include "audio/sample_library.h"
#include "audio/voice_formulas.h"

namespace knockbox {
namespace {

using voice_formulas::dt;
using voice_formulas::twoPi;

// The same sources stepped from one sample to the next: a decay is a
// geometric sequence and a fixed sine a rotation, so the inner loop calls no
// transcendental function for them. Rounding grows by about one part in 1e16
// per sample, which stays below 1e-11 over the longest voice.
struct RecurrentSources {
    class Decay {
    public:
        Decay() = default;
        explicit Decay(double rate) : step_(std::exp(-rate * dt)) {}
        double next(double) {
            const double current = value_;
            value_ *= step_;
            return current;
        }

    private:
        double value_ = 1.0, step_ = 1.0;
    };
    class Sine {
    public:
        Sine() = default;
        explicit Sine(double frequency, double phase = 0.0)
            : sin_(std::sin(phase)), cos_(std::cos(phase)),
              stepSin_(std::sin(twoPi * frequency * dt)), stepCos_(std::cos(twoPi * frequency * dt)) {}
        double next(double) {
            const double current = sin_;
            const double nextSin = sin_ * stepCos_ + cos_ * stepSin_;
            cos_ = cos_ * stepCos_ - sin_ * stepSin_;
            sin_ = nextSin;
            return current;
        }

    private:
        double sin_ = 0.0, cos_ = 1.0, stepSin_ = 0.0, stepCos_ = 1.0;
    };
};

}  // namespace

std::vector<double> voiceSignal(Drum drum, DrumKit kit, bool soft, int variation) {
    return voice_formulas::voiceSignal<RecurrentSources>(drum, kit, soft, variation);
}

void removeWindowedDC(std::span<double> samples) {
    const std::size_t count = samples.size();
    if (count == 0) return;
    auto window = [count](std::size_t n) {
        return std::min(static_cast<double>(n) / 48.0, 1.0) *
               std::min(static_cast<double>(count - 1 - n) / 960.0, 1.0);
    };
    double sum = 0.0, weight = 0.0;
    for (std::size_t n = 0; n < count; ++n) {
        sum += samples[n];
        weight += window(n);
    }
    if (weight <= 0.0) return;  // too short to carry a window
    const double offset = sum / weight;
    for (std::size_t n = 0; n < count; ++n) samples[n] -= offset * window(n);
}

std::vector<float> finishVoice(std::vector<double> samples) {
    removeWindowedDC(samples);
    if (samples.empty()) return {};
    samples.back() = 0.0;
    double peak = 0.0;
    for (double sample : samples) peak = std::max(peak, std::abs(sample));
    const double scale = peak > 0.0 ? synthesizedPeak / peak : 0.0;
    std::vector<float> output(samples.size());
    for (std::size_t n = 0; n < samples.size(); ++n) output[n] = static_cast<float>(samples[n] * scale);
    return output;
}

std::vector<float> synthesize(Drum drum, DrumKit kit, bool soft, int variation) {
    try {
        return finishVoice(voiceSignal(drum, kit, soft, variation));
    } catch (const std::bad_alloc&) {
        throw SampleError::allocationFailed();
    }
}

}  // namespace knockbox
