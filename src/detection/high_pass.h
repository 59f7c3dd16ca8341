#pragma once
// Second-order high-pass section (transposed direct form II) that removes
// what is left of gravity and slow tilt below the tap's vibration.

namespace knockbox {

// Audio-EQ-cookbook high-pass, 10 Hz cutoff, Q 0.7071, for 800 Hz samples. The
// coefficients are fixed: they are not recomputed from the measured rate.
struct HighPass {
    double b0 = 0.9459763791505057;
    double b1 = -1.8919527583010114;
    double b2 = 0.9459763791505057;
    double a1 = -1.8890321271622015;
    double a2 = 0.8948733894398212;
    double d1 = 0;
    double d2 = 0;

    double process(double in) noexcept {
        const double out = b0 * in + d1;
        d1 = b1 * in - a1 * out + d2;
        d2 = b2 * in - a2 * out;
        return out;
    }
};

}  // namespace knockbox
