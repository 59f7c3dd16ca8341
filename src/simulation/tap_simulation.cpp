#include "simulation/tap_simulation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace knockbox::simulation {
namespace {

constexpr double twoPi = 2 * std::numbers::pi;

// xoshiro256** seeded through splitmix64: the same numbers on every platform,
// unlike the standard library's distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) {
        for (std::uint64_t& word : state_) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t shifted = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= shifted;
        state_[3] = rotate(state_[3], 45);
        return result;
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    // Box–Muller; one value per call keeps the sequence simple.
    double normal() {
        const double u = 1.0 - uniform();  // in (0, 1]
        return std::sqrt(-2.0 * std::log(u)) * std::cos(twoPi * uniform());
    }

private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4]{};
};

// One tap's shape, drawn once from its own generator so that adding clicks or
// gaps to a scene never changes its taps.
struct TapShape {
    double start = 0, sign = 1, amplitude = 0;
    double decay = 0.01;
    double fx = 85, fy = 115, fz = 70, phaseY = 0;
    double kx = 0.6, ky = 0.2;
    double reboundDelay = 0, reboundScale = 0;
};

constexpr double tapGain = 1.3;       // vibration per g of intended peak
constexpr double tapLength = 0.25;    // s after which a tap has died away
constexpr double clickLength = 0.04;  // s

TapShape shapeOf(const Tap& tap, std::uint64_t seed, std::size_t index) {
    Random random(seed * 7919 + index * 104729 + 17);
    TapShape shape;
    shape.start = tap.time;
    shape.sign = tap.side == Side::right ? 1.0 : -1.0;
    shape.amplitude = tap.amplitude * tapGain;
    shape.decay = random.uniform(0.008, 0.012);
    shape.fx = random.uniform(78, 95);
    shape.fy = random.uniform(100, 130);
    shape.fz = random.uniform(60, 78);
    shape.phaseY = random.uniform(0, twoPi);
    shape.kx = random.uniform(0.5, 0.7);
    shape.ky = random.uniform(0.12, 0.28);
    shape.reboundDelay = tap.reboundDelay;
    shape.reboundScale = tap.reboundScale;
    return shape;
}

struct Motion {
    double x = 0, y = 0, z = 0;     // g
    double gx = 0, gy = 0, gz = 0;  // gyroscope units
};

// A knock of the hand: a quick rise, then ringing that decays in about 10 ms.
void addKnock(Motion& motion, const TapShape& shape, double age, double sideSign, double xScale,
              double zScale) {
    if (age < 0 || age > tapLength) return;
    const double envelope = shape.amplitude * (1 - std::exp(-age / 0.0006)) * std::exp(-age / shape.decay);
    const double swingX = std::sin(twoPi * shape.fx * age);
    const double swingZ = std::sin(twoPi * shape.fz * age);
    motion.x += sideSign * xScale * shape.kx * envelope * swingX;
    motion.y += zScale * shape.ky * envelope * std::sin(twoPi * shape.fy * age + shape.phaseY);
    motion.z -= zScale * envelope * swingZ;  // the palm pushes the case down first
    motion.gx += 2.0 * zScale * envelope * std::sin(twoPi * shape.fx * age + 0.5);
    motion.gy -= sideSign * xScale * 9.0 * envelope * std::sin(twoPi * shape.fx * age + 0.2);
    motion.gz += sideSign * zScale * 3.0 * envelope * swingZ;
}

double quantized(double value) { return std::round(value * 65536.0) / 65536.0; }

Tap tapAt(Random& random, double time, Side side, Strength strength) {
    const double amplitude = strength == Strength::firm ? random.uniform(firmLow, firmHigh)
                                                        : random.uniform(gentleLow, gentleHigh);
    return Tap{time, side, strength, amplitude, 0, 0};
}

struct Beat {
    Side side;
    Strength strength;
};

// kick, hi-hat, snare, hi-hat, kick, tom, snare, hi-hat
constexpr Beat groovePattern[] = {
    {Side::left, Strength::gentle}, {Side::right, Strength::gentle}, {Side::right, Strength::firm},
    {Side::right, Strength::gentle}, {Side::left, Strength::gentle}, {Side::left, Strength::firm},
    {Side::right, Strength::firm},   {Side::right, Strength::gentle},
};

constexpr double firstTap = 2.5;  // s: after the player's 2 s warm-up

void addGroove(Scene& scene, Random& random, double step) {
    std::size_t beat = 0;
    for (double time = firstTap; time <= scene.duration - 0.4; time += step, ++beat) {
        const Beat& next = groovePattern[beat % std::size(groovePattern)];
        scene.taps.push_back(tapAt(random, time + random.uniform(-0.008, 0.008), next.side, next.strength));
    }
}

// The player's calibration timing, as the user experiences it.
constexpr double calibrationStart = 2.0;  // s: the first prompt, at the end of the warm-up
constexpr double blockPause = 1.2;        // s from the onset of a block's last tap to the next prompt
constexpr double tooClose = 0.3;          // s: refused, the player asks for 0.35

Strength strengthFor(CalibrationKind kind, std::size_t index) {
    switch (kind) {
        case CalibrationKind::strong: return Strength::firm;
        case CalibrationKind::light: return Strength::gentle;
        case CalibrationKind::sides: break;
    }
    return index % 2 == 0 ? Strength::firm : Strength::gentle;
}

// Taps one calibration (training and verification) from `prompt` on; returns
// the time of the tap that ended it.
double tapCalibration(Scene& scene, Random& random, const CalibrationPlan& plan, double prompt, bool refusals,
                      bool wrongSide) {
    double last = prompt;
    const auto tapBlock = [&](Side side, int count, bool refused, bool onWrongSide) {
        double time = prompt + plan.reaction;
        for (int i = 0; i < count; ++i) {
            if (refused && i == 1) {
                time += tooClose - plan.spacing;  // right after the tap before
                scene.taps.push_back(tapAt(random, time, side, strengthFor(plan.kind, scene.taps.size())));
                time += plan.spacing;
                if (plan.kind != CalibrationKind::sides) {
                    const Strength wrong = plan.kind == CalibrationKind::strong ? Strength::gentle : Strength::firm;
                    scene.taps.push_back(tapAt(random, time, side, wrong));
                    time += plan.spacing;
                }
            }
            scene.taps.push_back(tapAt(random, time, onWrongSide ? opposite(side) : side,
                                       strengthFor(plan.kind, scene.taps.size())));
            last = time;
            time += plan.spacing;
        }
        prompt = last + blockPause;
    };
    for (int block = 0; block < 4; ++block)
        tapBlock(block % 2 == 0 ? Side::left : Side::right, 4, refusals && block == 1, false);
    tapBlock(Side::left, 3, false, false);
    tapBlock(Side::right, 3, false, wrongSide);
    return last;
}

}  // namespace

Scene calibrationScene(const CalibrationPlan& plan, std::uint64_t seed, bool gyro) {
    Scene scene;
    scene.seed = seed;
    scene.gyro = gyro;
    Random random(seed ^ 0xCA11B4A7Eull);
    double last = tapCalibration(scene, random, plan, calibrationStart, plan.refusals, plan.wrongSideOnce);
    if (plan.wrongSideOnce) last = tapCalibration(scene, random, plan, last + blockPause, false, false);
    double time = last + 0.8;
    for (int i = 0; i < plan.playTaps; ++i, time += plan.spacing)
        scene.taps.push_back(tapAt(random, time, i % 2 == 0 ? Side::left : Side::right,
                                   strengthFor(plan.kind, static_cast<std::size_t>(i))));
    scene.duration = time + 0.4;
    return scene;
}

std::vector<AccelSample> render(const Scene& scene) {
    Random random(scene.seed);
    std::vector<TapShape> shapes;
    for (std::size_t i = 0; i < scene.taps.size(); ++i) shapes.push_back(shapeOf(scene.taps[i], scene.seed, i));
    std::vector<double> clickPitch;
    for (std::size_t i = 0; i < scene.clicks.size(); ++i) clickPitch.push_back(random.uniform(180, 260));

    // The case rests slightly tilted; the accelerometer's scale is a little off.
    const double tiltX = random.uniform(-0.04, 0.04);
    const double tiltY = random.uniform(-0.04, 0.04);
    const double scale = random.uniform(0.995, 1.005);
    const double gyroBias[3] = {random.uniform(-0.2, 0.2), random.uniform(-0.2, 0.2), random.uniform(-0.2, 0.2)};

    std::vector<AccelSample> samples;
    const double period = 1.0 / scene.rate;
    const auto count = static_cast<std::size_t>(std::floor(scene.duration * scene.rate));
    samples.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        const double jitter = std::clamp(scene.jitter * random.normal(), -0.3 * period, 0.3 * period);
        const double time = static_cast<double>(n) * period + jitter;
        const double noise[3] = {random.normal(), random.normal(), random.normal()};
        const double gyroNoise[3] = {random.normal(), random.normal(), random.normal()};
        const bool missing = std::any_of(scene.gaps.begin(), scene.gaps.end(), [&](const Gap& gap) {
            return time >= gap.start && time < gap.start + gap.length;
        });
        if (missing) continue;

        const double gravityX = tiltX + scene.drift * std::sin(twoPi * 0.08 * time);
        const double gravityY = tiltY + 0.5 * scene.drift * std::sin(twoPi * 0.05 * time + 1.0);
        const double gravityZ = -std::sqrt(std::max(0.0, 1 - gravityX * gravityX - gravityY * gravityY));

        Motion motion;
        for (const TapShape& shape : shapes) {
            const double age = time - shape.start;
            if (age < 0 || age > tapLength + shape.reboundDelay) continue;
            addKnock(motion, shape, age, shape.sign, 1.0, 1.0);
            if (shape.reboundDelay > 0)
                addKnock(motion, shape, age - shape.reboundDelay, -shape.sign, shape.reboundScale, 0.5);
        }
        for (std::size_t i = 0; i < scene.clicks.size(); ++i) {
            const double age = time - scene.clicks[i].time;
            if (age < 0 || age > clickLength) continue;
            const double ring = scene.clicks[i].amplitude * std::exp(-age / 0.003);
            motion.z += ring * std::sin(twoPi * clickPitch[i] * age);
            motion.x += 0.3 * ring * std::sin(twoPi * clickPitch[i] * 1.3 * age);
            motion.y += 0.3 * ring * std::cos(twoPi * clickPitch[i] * 0.8 * age);
        }

        AccelSample sample;
        sample.t = scene.startTime + time;
        sample.x = quantized(scale * gravityX + motion.x + scene.noise * noise[0]);
        sample.y = quantized(scale * gravityY + motion.y + scene.noise * noise[1]);
        sample.z = quantized(scale * gravityZ + motion.z + scene.noise * noise[2]);
        if (scene.gyro) {
            sample.gyro = GyroSample{sample.t, quantized(gyroBias[0] + motion.gx + 0.015 * gyroNoise[0]),
                                     quantized(gyroBias[1] + motion.gy + 0.015 * gyroNoise[1]),
                                     quantized(gyroBias[2] + motion.gz + 0.015 * gyroNoise[2])};
        }
        samples.push_back(sample);
    }
    return samples;
}

std::vector<IntendedHit> intendedHits(const Scene& scene) {
    std::vector<IntendedHit> hits;
    for (const Tap& tap : scene.taps) {
        const bool firm = tap.strength == Strength::firm;
        const Drum drum = tap.side == Side::left ? (firm ? Drum::tom : Drum::kick)
                                                 : (firm ? Drum::snare : Drum::hihat);
        hits.push_back({scene.startTime + tap.time, tap.side, drum});
    }
    std::sort(hits.begin(), hits.end(), [](const IntendedHit& a, const IntendedHit& b) { return a.t < b.t; });
    return hits;
}

const std::vector<std::string_view>& scenarioNames() {
    static const std::vector<std::string_view> names{"quiet",
                                                     "groove",
                                                     "roll",
                                                     "rebound",
                                                     "typing",
                                                     "gaps",
                                                     "drift",
                                                     "calibration-sides",
                                                     "calibration-strong",
                                                     "calibration-light",
                                                     "calibration-strong-refused",
                                                     "calibration-light-refused",
                                                     "calibration-strong-retry"};
    return names;
}

std::optional<Scene> scenario(std::string_view name, std::uint64_t seed, double duration, bool gyro) {
    const std::optional<CalibrationPlan> plan = name == "calibration-sides"    ? CalibrationPlan{CalibrationKind::sides}
                                                : name == "calibration-strong" ? CalibrationPlan{CalibrationKind::strong}
                                                : name == "calibration-light"  ? CalibrationPlan{CalibrationKind::light}
                                                : name == "calibration-strong-refused"
                                                    ? CalibrationPlan{.kind = CalibrationKind::strong, .refusals = true}
                                                : name == "calibration-light-refused"
                                                    ? CalibrationPlan{.kind = CalibrationKind::light, .refusals = true}
                                                : name == "calibration-strong-retry"
                                                    ? CalibrationPlan{.kind = CalibrationKind::strong, .wrongSideOnce = true}
                                                    : std::optional<CalibrationPlan>();
    if (plan) {
        Scene scene = calibrationScene(*plan, seed, gyro);
        if (duration > 0) scene.duration = duration;
        return scene;
    }

    Scene scene;
    scene.seed = seed;
    scene.gyro = gyro;
    const auto lengthOr = [&](double fallback) { return duration > 0 ? duration : fallback; };
    Random random(seed ^ 0x5CE7E5EEDull);

    if (name == "quiet") {
        scene.duration = lengthOr(4);
    } else if (name == "groove") {
        scene.duration = lengthOr(6);
        addGroove(scene, random, 0.25);
    } else if (name == "roll") {
        scene.duration = lengthOr(6);
        Side side = Side::left;
        Strength strength = Strength::gentle;
        for (double start = firstTap; start + 0.45 <= scene.duration - 0.3; start += 1.0) {
            for (int i = 0; i < 4; ++i) scene.taps.push_back(tapAt(random, start + 0.15 * i, side, strength));
            side = opposite(side);
            if (side == Side::left)
                strength = strength == Strength::gentle ? Strength::firm : Strength::gentle;
        }
    } else if (name == "rebound") {
        scene.duration = lengthOr(6);
        std::size_t beat = 0;
        for (double time = firstTap; time <= scene.duration - 0.4; time += 0.4, ++beat) {
            const Beat& next = groovePattern[beat % std::size(groovePattern)];
            Tap tap = tapAt(random, time, next.side, next.strength);
            if (beat % 2 == 0) {  // inside the attack window, larger and the other way
                tap.reboundDelay = random.uniform(0.012, 0.02);
                tap.reboundScale = random.uniform(1.3, 1.8);
            } else {  // after the window, inside the cooldown
                tap.reboundDelay = random.uniform(0.05, 0.085);
                tap.reboundScale = random.uniform(0.5, 0.8);
            }
            scene.taps.push_back(tap);
        }
    } else if (name == "typing") {
        scene.duration = lengthOr(4);
        for (double time = 0.5; time < scene.duration - 0.1; time += random.uniform(0.08, 0.25))
            scene.clicks.push_back({time, random.uniform(0.012, 0.03)});
    } else if (name == "gaps") {
        scene.duration = lengthOr(6);
        scene.gaps = {{3.3, 0.3}, {4.6, 0.15}, {5.2, 0.12}};
        addGroove(scene, random, 0.25);
        // No tap runs into a gap or starts right after one.
        std::erase_if(scene.taps, [&](const Tap& tap) {
            return std::any_of(scene.gaps.begin(), scene.gaps.end(), [&](const Gap& gap) {
                return tap.time > gap.start - 0.08 && tap.time < gap.start + gap.length + 0.1;
            });
        });
    } else if (name == "drift") {
        scene.duration = lengthOr(8);
        scene.drift = 0.05;
    } else {
        return std::nullopt;
    }
    return scene;
}

}  // namespace knockbox::simulation
