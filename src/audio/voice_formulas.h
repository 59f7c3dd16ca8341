#pragma once
// The synthesized voices' formulas, one per kit and drum, written once over
// their sources of decays and fixed sines (`Sources::Decay`, `Sources::Sine`,
// each with `next(t)`): the synthesizer steps them by recurrence
// (sample_synthesis.cpp), its test evaluates them with exp and sin as the
// exact reference. Internal to the synthesis.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/sample_library.h"

namespace knockbox::voice_formulas {

inline constexpr double twoPi = 2.0 * std::numbers::pi;
inline constexpr double dt = 1.0 / sampleRate;

// What every voice formula may read about the voice it plays.
struct VoiceParameters {
    Drum drum;
    DrumKit kit;
    double duration;  // seconds
    double soft;      // g: 0.7 for the soft layer, 1.0 for the hard one
    double detune;    // d: 0.997 for variation 0, 1.003 for variation 1
    std::uint32_t seed;
    bool softLayer;
};

inline double durationOf(Drum drum, DrumKit kit) {
    switch (kit) {
    case DrumKit::studio: {
        constexpr double durations[] = {0.62, 0.34, 0.14, 0.66};
        return durations[index(drum)];
    }
    case DrumKit::electronic: {
        constexpr double durations[] = {0.85, 0.30, 0.115, 0.58};
        return durations[index(drum)];
    }
    case DrumKit::lofi: {
        constexpr double durations[] = {0.36, 0.23, 0.095, 0.34};
        return durations[index(drum)];
    }
    case DrumKit::live:
        break;
    }
    return 0.0;
}

inline std::uint32_t kitSalt(DrumKit kit) {
    switch (kit) {
    case DrumKit::studio: return 0x6D616079u;
    case DrumKit::electronic: return 0x6D616D54u;
    case DrumKit::lofi: return 0x6D61624Bu;
    case DrumKit::live: break;
    }
    return 0;
}

// Coefficient of a one-pole high-pass with the given cutoff.
inline double highPassCoefficient(double cutoff) {
    const double rc = 1.0 / (twoPi * cutoff);
    return rc / (rc + dt);
}

// Coefficient of a one-pole low-pass with the given cutoff.
inline double lowPassCoefficient(double cutoff) { return 1.0 - std::exp(-twoPi * cutoff / sampleRate); }

// Seeded xorshift white noise, high-passed then low-passed: ν.
class ShapedNoise {
public:
    explicit ShapedNoise(const VoiceParameters& voice) : state_(voice.seed) {
        const bool lofi = voice.kit == DrumKit::lofi;
        const bool hihat = voice.drum == Drum::hihat;
        highPass_ = highPassCoefficient(hihat ? (lofi ? 3000.0 : 5200.0) : (lofi ? 550.0 : 1000.0));
        const double lowCutoff = lofi ? (hihat ? 7000.0 : 4700.0) : 13000.0;
        lowPass_ = lowPassCoefficient(lowCutoff * (voice.softLayer ? 0.7 : 1.0));
    }

    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        const double white = 2.0 * static_cast<double>(state_) / 4294967295.0 - 1.0;
        high_ = highPass_ * (high_ + white - previousWhite_);
        previousWhite_ = white;
        shaped_ += lowPass_ * (high_ - shaped_);
        return shaped_;
    }

private:
    std::uint32_t state_;
    double highPass_, lowPass_;
    double high_ = 0.0, previousWhite_ = 0.0, shaped_ = 0.0;
};

// The high-pass that takes the body out of the hi-hats' metal and square signals.
class MetalHighPass {
public:
    double next(double input) {
        state_ = coefficient_ * (state_ + input - previousInput_);
        previousInput_ = input;
        return state_;
    }

private:
    double coefficient_ = highPassCoefficient(4200.0);
    double state_ = 0.0, previousInput_ = 0.0;
};

// A phase that grows, before each sample is computed, by
// d · (base + depth · exp(-t / τ)) · 2π / 48000.
template <class Sources>
class Sweep {
public:
    Sweep(double detune, double base, double depth, double tau)
        : detune_(detune), base_(base), depth_(depth), tail_(1.0 / tau) {}
    double next(double t) {
        phase_ += detune_ * (base_ + depth_ * tail_.next(t)) * twoPi / sampleRate;
        return phase_;
    }

private:
    double detune_, base_, depth_;
    typename Sources::Decay tail_;
    double phase_ = 0.0;
};

// One formula per kit and drum. Each is called once per sample, in order,
// with the sample's time and the shaped noise.

template <class S>
struct StudioKick {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    explicit StudioKick(const VoiceParameters& v)
        : g(v.soft), sweep(v.detune, 58.0, v.softLayer ? 48.0 : 76.0, 0.032), s168(168.0 * v.detune),
          s249(249.0), e32(32.0), e46(46.0), e8(8.5), e340(340.0) {}
    double operator()(double t, double noise) {
        const double phi = sweep.next(t);
        return 0.2 * s168.next(t) * e32.next(t) + 0.09 * s249.next(t) * e46.next(t) +
               std::sin(phi) * e8.next(t) + 0.24 * g * noise * e340.next(t);
    }
    double g;
    Sweep<S> sweep;
    Sine s168, s249;
    Decay e32, e46, e8, e340;
};

template <class S>
struct StudioSnare {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    explicit StudioSnare(const VoiceParameters& v)
        : g(v.soft), s186(186.0 * v.detune), s329(329.0), s427(427.0), e22(22.0), e29(29.0), e39(39.0),
          e20(20.0), e54(54.0) {}
    double operator()(double t, double noise) {
        const double body =
            s186.next(t) * e22.next(t) + 0.46 * s329.next(t) * e29.next(t) + 0.23 * s427.next(t) * e39.next(t);
        return 0.48 * body + g * noise * (0.9 * e20.next(t) + 0.28 * e54.next(t));
    }
    double g;
    Sine s186, s329, s427;
    Decay e22, e29, e39, e20, e54;
};

// Eight inharmonic partials, each with its own phase offset and decay.
template <class S>
struct StudioHihat {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    static constexpr double frequencies[8] = {3721, 4793, 6187, 7439, 8851, 10211, 11903, 13811};
    explicit StudioHihat(const VoiceParameters& v) : g(v.soft), e53(53.0) {
        for (int k = 0; k < 8; ++k) {
            partials[k] = Sine(frequencies[k] * v.detune, 0.43 * k);
            decays[k] = Decay(35.0 + 6.0 * k);
        }
    }
    double operator()(double t, double noise) {
        double sum = 0.0;
        for (int k = 0; k < 8; ++k) sum += partials[k].next(t) * decays[k].next(t) / (k + 2);
        return 0.75 * metal.next(sum) + 0.42 * g * noise * e53.next(t);
    }
    double g;
    Sine partials[8];
    Decay decays[8];
    Decay e53;
    MetalHighPass metal;
};

template <class S>
struct StudioTom {
    using Decay = typename S::Decay;
    explicit StudioTom(const VoiceParameters& v)
        : g(v.soft), sweep(v.detune, 104.0, 37.0, 0.045), e8(8.3), e17(17.0), e24(24.0), e210(210.0) {}
    double operator()(double t, double noise) {
        const double phi = sweep.next(t);
        return std::sin(phi) * e8.next(t) + 0.36 * std::sin(1.593 * phi) * e17.next(t) +
               0.2 * std::sin(2.136 * phi) * e24.next(t) + 0.11 * g * noise * e210.next(t);
    }
    double g;
    Sweep<S> sweep;
    Decay e8, e17, e24, e210;
};

template <class S>
struct ElectronicKick {
    using Decay = typename S::Decay;
    explicit ElectronicKick(const VoiceParameters& v)
        : g(v.soft), sweep(v.detune, 43.0, v.softLayer ? 95.0 : 145.0, 0.018), e5(5.5), e27(27.0), e650(650.0) {}
    double operator()(double t, double noise) {
        const double phi = sweep.next(t);
        return std::tanh(1.4 * std::sin(phi)) * e5.next(t) + 0.15 * std::sin(2.0 * phi) * e27.next(t) +
               0.31 * g * noise * e650.next(t);
    }
    double g;
    Sweep<S> sweep;
    Decay e5, e27, e650;
};

template <class S>
struct ElectronicSnare {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    explicit ElectronicSnare(const VoiceParameters& v)
        : g(v.soft), s180(180.0 * v.detune), s340(340.0), s1200(1200.0), e27(27.0), e21(21.0), e90(90.0) {}
    double operator()(double t, double noise) {
        return 0.62 * (s180.next(t) + 0.35 * s340.next(t)) * e27.next(t) + 1.05 * g * noise * e21.next(t) +
               0.15 * s1200.next(t) * e90.next(t);
    }
    double g;
    Sine s180, s340, s1200;
    Decay e27, e21, e90;
};

// The mean of six square waves, +1 where their sine is at or above 0.
template <class S>
struct ElectronicHihat {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    explicit ElectronicHihat(const VoiceParameters& v)
        : g(v.soft),
          waves{Sine(650.0 * v.detune), Sine(870.0 * v.detune), Sine(1130.0 * v.detune),
                Sine(1470.0 * v.detune), Sine(1910.0 * v.detune), Sine(2510.0 * v.detune)},
          e65(65.0), e78(78.0) {}
    double operator()(double t, double noise) {
        double sum = 0.0;
        for (Sine& wave : waves) sum += wave.next(t) >= 0.0 ? 1.0 : -1.0;
        return e65.next(t) * metal.next(sum / 6.0) + 0.3 * g * noise * e78.next(t);
    }
    double g;
    Sine waves[6];
    Decay e65, e78;
    MetalHighPass metal;
};

// The one tom whose noise ignores the soft factor, like the lo-fi tom.
template <class S>
struct ElectronicTom {
    using Decay = typename S::Decay;
    explicit ElectronicTom(const VoiceParameters& v)
        : sweep(v.detune, 82.0, 88.0, 0.031), e8(8.5), e30(30.0), e450(450.0) {}
    double operator()(double t, double noise) {
        const double phi = sweep.next(t);
        return std::tanh(1.3 * std::sin(phi)) * e8.next(t) + 0.18 * std::sin(1.5 * phi) * e30.next(t) +
               0.1 * noise * e450.next(t);
    }
    Sweep<S> sweep;
    Decay e8, e30, e450;
};

template <class S>
struct LofiKick {
    using Decay = typename S::Decay;
    explicit LofiKick(const VoiceParameters& v)
        : g(v.soft), sweep(v.detune, 52.0, 54.0, 0.024), e14(14.0), e150(150.0) {}
    double operator()(double t, double noise) {
        const double phi = sweep.next(t);
        return std::tanh(1.55 * std::sin(phi)) * e14.next(t) + 0.18 * g * noise * e150.next(t);
    }
    double g;
    Sweep<S> sweep;
    Decay e14, e150;
};

template <class S>
struct LofiSnare {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    explicit LofiSnare(const VoiceParameters& v)
        : g(v.soft), s155(155.0 * v.detune), s265(265.0), s390(390.0), e32(32.0), e31(31.0) {}
    double operator()(double t, double noise) {
        const double body = s155.next(t) + 0.43 * s265.next(t) + 0.18 * s390.next(t);
        return std::tanh(0.7 * body * e32.next(t) + 1.1 * g * noise * e31.next(t));
    }
    double g;
    Sine s155, s265, s390;
    Decay e32, e31;
};

template <class S>
struct LofiHihat {
    using Decay = typename S::Decay;
    using Sine = typename S::Sine;
    explicit LofiHihat(const VoiceParameters& v) : g(v.soft), s4100(4100.0 * v.detune), s6170(6170.0), e55(55.0) {}
    double operator()(double t, double noise) {
        return e55.next(t) * (0.15 * (s4100.next(t) + 0.37 * s6170.next(t)) + 0.86 * g * noise);
    }
    double g;
    Sine s4100, s6170;
    Decay e55;
};

template <class S>
struct LofiTom {
    using Decay = typename S::Decay;
    explicit LofiTom(const VoiceParameters& v) : sweep(v.detune, 87.0, 40.0, 0.033), e15(15.0), e85(85.0) {}
    double operator()(double t, double noise) {
        const double phi = sweep.next(t);
        return (std::sin(phi) + 0.29 * std::sin(1.61 * phi) + 0.12 * std::sin(2.2 * phi)) * e15.next(t) +
               0.04 * noise * e85.next(t);
    }
    Sweep<S> sweep;
    Decay e15, e85;
};

// The lo-fi kit's dull, slightly hissy output: a low-pass over the voice
// plus a trace of noise.
template <class S, template <class> class Pre>
struct LofiStage {
    using Decay = typename S::Decay;
    explicit LofiStage(const VoiceParameters& v)
        : pre(v), coefficient(lowPassCoefficient(v.drum == Drum::hihat ? 8000.0 : 4800.0)), e24(24.0) {}
    double operator()(double t, double noise) {
        z += coefficient * (pre(t, noise) - z);
        return z + 0.007 * noise * e24.next(t);
    }
    Pre<S> pre;
    double coefficient;
    double z = 0.0;
    Decay e24;
};

template <class Formula>
std::vector<double> render(const VoiceParameters& voice, std::size_t length) {
    std::vector<double> samples(length);
    Formula formula(voice);
    ShapedNoise noise(voice);
    for (std::size_t n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / sampleRate;
        const double nu = noise.next();
        double y = formula(t, nu);
        // 0.7 ms attack, linear release over the last 20 ms.
        y *= std::min(t / 0.0007, 1.0);
        const double release = (voice.duration - t) / 0.02;
        if (release < 1.0) y *= release;
        samples[n] = y;
    }
    return samples;
}

template <class S>
std::vector<double> renderWith(const VoiceParameters& voice, std::size_t length) {
    switch (voice.kit) {
    case DrumKit::studio:
        switch (voice.drum) {
        case Drum::kick: return render<StudioKick<S>>(voice, length);
        case Drum::snare: return render<StudioSnare<S>>(voice, length);
        case Drum::hihat: return render<StudioHihat<S>>(voice, length);
        case Drum::tom: return render<StudioTom<S>>(voice, length);
        }
        break;
    case DrumKit::electronic:
        switch (voice.drum) {
        case Drum::kick: return render<ElectronicKick<S>>(voice, length);
        case Drum::snare: return render<ElectronicSnare<S>>(voice, length);
        case Drum::hihat: return render<ElectronicHihat<S>>(voice, length);
        case Drum::tom: return render<ElectronicTom<S>>(voice, length);
        }
        break;
    case DrumKit::lofi:
        switch (voice.drum) {
        case Drum::kick: return render<LofiStage<S, LofiKick>>(voice, length);
        case Drum::snare: return render<LofiStage<S, LofiSnare>>(voice, length);
        case Drum::hihat: return render<LofiStage<S, LofiHihat>>(voice, length);
        case Drum::tom: return render<LofiStage<S, LofiTom>>(voice, length);
        }
        break;
    case DrumKit::live:
        break;
    }
    return {};
}

// The voice before DC removal, its decays and sines taken from `S`.
template <class S>
std::vector<double> voiceSignal(Drum drum, DrumKit kit, bool soft, int variation) {
    if (sampled(kit)) return {};
    const std::uint32_t parity = static_cast<std::uint32_t>(variation & 1);
    VoiceParameters voice{};
    voice.drum = drum;
    voice.kit = kit;
    voice.duration = durationOf(drum, kit);
    voice.soft = soft ? 0.7 : 1.0;
    voice.detune = parity == 0 ? 0.997 : 1.003;
    voice.seed = (soft ? 305u : 530u) ^ (parity * 65537u + static_cast<std::uint32_t>(index(drum)) * 997u) ^
                 kitSalt(kit);
    voice.softLayer = soft;
    // 0.58 s × 48000 lies just below 27840 in 64-bit arithmetic: 27839.
    return renderWith<S>(voice, static_cast<std::size_t>(voice.duration * sampleRate));
}

}  // namespace knockbox::voice_formulas
