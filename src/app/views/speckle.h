#pragma once
// The sparkle of a lacquered shell: small white dots at fixed places, the same
// in every frame, drawn from a 32-bit xorshift generator with a fixed seed.

#include <cstdint>
#include <vector>

#include <QPointF>
#include <QRectF>

namespace knockbox {

struct SpeckleDot {
    QPointF center;
    double diameter;
    double opacity;
};

// The 32-bit xorshift generator (13, 17, 5), read as draws in [0, 1).
class Xorshift32 {
public:
    explicit Xorshift32(std::uint32_t seed) : state_((seed + 1u) * 0x9E3779B9u) {}
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_ % 10000u) / 10000.0;
    }

private:
    std::uint32_t state_;
};

inline constexpr int speckleCount = 70;

// The dots of a shell whose area is `shell` (the dots stay 4 points inside it).
std::vector<SpeckleDot> speckleDots(std::uint32_t seed, const QRectF& shell);

}  // namespace knockbox
