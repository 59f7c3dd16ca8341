#pragma once
// Plausible accelerometer recordings of a MacBook's palm rests, made from a
// fixed seed: a laptop at rest (gravity with a small tilt, sensor noise, clock
// jitter) and on it taps (damped chassis vibration whose first X swing takes
// its sign from the side), rebounds, typing-like vibration, sensor gaps and
// slow drift. Shared by the tap_simulator tool and the tests.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/accel_sample.h"
#include "core/drum.h"
#include "core/side.h"

namespace knockbox::simulation {

enum class Strength { gentle, firm };

struct Tap {
    double time = 0;       // s after the first sample
    Side side = Side::right;
    Strength strength = Strength::gentle;
    double amplitude = 0;  // g, roughly the peak the detector measures
    // A second knock of the hand this long after the tap (0: none), its X
    // swing opposite to the tap's and `reboundScale` times as large.
    double reboundDelay = 0;
    double reboundScale = 0;
};

// A short, high-pitched click like a key press, mostly vertical.
struct Click {
    double time = 0;       // s after the first sample
    double amplitude = 0;  // g
};

// The sensor delivers nothing from `start` for `length` seconds.
struct Gap {
    double start = 0;
    double length = 0;
};

struct Scene {
    std::uint64_t seed = 1;
    double duration = 4;         // s
    double rate = 800;           // Hz
    double startTime = 1000;     // s: clock time of the first sample
    double noise = 0.0015;       // g per axis
    double jitter = 0.00004;     // s: standard deviation of the time stamps
    bool gyro = true;
    double drift = 0;            // g: swing of a slow tilt of the case
    std::vector<Tap> taps;
    std::vector<Click> clicks;
    std::vector<Gap> gaps;
};

// What the player should make of a tap.
struct IntendedHit {
    double t = 0;  // s: clock time at which the tap starts
    Side side = Side::right;
    Drum drum = Drum::hihat;
};

// Gentle taps stay well below the default accent (0.16 g), firm ones well above.
inline constexpr double gentleLow = 0.075, gentleHigh = 0.12;
inline constexpr double firmLow = 0.24, firmHigh = 0.40;

std::vector<AccelSample> render(const Scene& scene);
// One hit per tap, in time order: side and strength make the drum.
std::vector<IntendedHit> intendedHits(const Scene& scene);

// Named scenarios, each with its own default duration (0: that default).
// Taps start at 2.5 s, after the player's warm-up.
//   quiet    the laptop at rest
//   groove   a beat over all four drums
//   roll     four-hit rolls at 150 ms
//   rebound  taps with a larger opposite knock inside the attack window, and
//            later knocks inside the cooldown
//   typing   typing-like clicks below the threshold
//   gaps     a groove interrupted by sensor gaps
//   drift    the case tilting slowly
std::optional<Scene> scenario(std::string_view name, std::uint64_t seed, double duration = 0,
                              bool gyro = true);
const std::vector<std::string_view>& scenarioNames();

}  // namespace knockbox::simulation
