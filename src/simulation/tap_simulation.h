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
    std::vector<Tap> taps{};
    std::vector<Click> clicks{};
    std::vector<Gap> gaps{};
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

// A simulated user who follows a guided side calibration (--calibrate-sides,
// --calibrate-strong, --calibrate-light) as the player prompts it: after the
// 2 s warm-up, 4 training blocks of 4 taps (left, right, left, right), then
// 2 verification blocks of 3 (left, right), each block prompted 1.2 s after
// the onset of the tap that ended the one before; then a few taps of play.
enum class CalibrationKind { sides, strong, light };  // mixed, firm or gentle taps

struct CalibrationPlan {
    CalibrationKind kind = CalibrationKind::strong;
    double spacing = 0.5;   // s between the taps of a block (0.35 at least)
    double reaction = 0.6;  // s from a prompt to the block's first tap
    // In the second training block, one tap of the wrong strength (a gentle
    // tap in a firm calibration, a firm one in a gentle calibration; none in
    // a mixed one) and one 0.3 s after the tap before; the user taps again.
    bool refusals = false;
    // The first verification's right-hand taps land on the left: the
    // verification fails, and the user calibrates once more.
    bool wrongSideOnce = false;
    int playTaps = 4;  // after the calibration, alternating from the left
};

Scene calibrationScene(const CalibrationPlan& plan, std::uint64_t seed, bool gyro = true);

// Named scenarios, each with its own default duration (0: that default).
// Taps start at 2.5 s, after the player's warm-up, except in the
// calibrations, which follow the player's prompts from 2 s on.
//   quiet    the laptop at rest
//   groove   a beat over all four drums
//   roll     four-hit rolls at 150 ms
//   rebound  taps with a larger opposite knock inside the attack window, and
//            later knocks inside the cooldown
//   typing   typing-like clicks below the threshold
//   gaps     a groove interrupted by sensor gaps
//   drift    the case tilting slowly
//   calibration-sides, calibration-strong, calibration-light
//            a calibration with mixed, firm or gentle taps, then play
//   calibration-strong-refused, calibration-light-refused
//            the same with a tap of the wrong strength and one too close
//   calibration-strong-retry
//            a verification that fails (taps on the wrong side), then a
//            second calibration that succeeds
std::optional<Scene> scenario(std::string_view name, std::uint64_t seed, double duration = 0,
                              bool gyro = true);
const std::vector<std::string_view>& scenarioNames();

}  // namespace knockbox::simulation
