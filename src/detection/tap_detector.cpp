#include "detection/tap_detector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "detection/side_decision.h"

namespace knockbox {
namespace {

constexpr double firstStep = 0.00125;       // s: one step at 800 Hz
constexpr double gapLength = 0.1;           // s: a longer silence restarts the conditioning
constexpr double historyLength = 0.12;      // s
constexpr double preOnset = 0.008;          // s: where the side start is looked for
constexpr double attackLength = 0.034;      // s after the onset
constexpr double quietNeeded = 0.02;        // s of quiet before re-arming
constexpr double baselineNearest = 0.012;   // s before the side start
constexpr double baselineFarthest = 0.1;    // s before the side start
constexpr double traceBefore = 0.1;         // s of raw samples kept before the onset
constexpr double noiseFloorMinimum = 0.0035;
constexpr double noiseFloorMaximum = 0.03;

bool finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

TapDetector::TapDetector(DetectorConfig initial)
    : config(initial),
      selectedSideModel_(heuristicModelName),
      onset_(-std::numeric_limits<double>::infinity()) {
    attack_.reserve(128);
    rawCapture_.reserve(256);
    lastHitTrace_.reserve(256);
}

void TapDetector::restartConditioning() {
    gravity_.reset();
    filters_ = {};
    history_.clear();
    attack_.clear();
    rawCapture_.clear();
    capture_ = false;
    magEMA_ = 0;
    quietSince_.reset();
    armed_ = true;
}

std::optional<Hit> TapDetector::process(const AccelSample& sample, bool typing, bool enabled) {
    const double ts = sample.t;
    if (!finite(ts, sample.x, sample.y, sample.z)) return std::nullopt;
    double dt = firstStep;
    if (lastT_) {
        if (!(ts > *lastT_)) return std::nullopt;  // duplicates and backwards times
        dt = ts - *lastT_;
    }
    const double dtc = std::clamp(dt, 0.0001, 0.02);
    if (dt > gapLength) restartConditioning();  // a running capture is abandoned
    lastT_ = ts;

    const double x = sample.x, y = sample.y, z = sample.z;
    const double raw = std::sqrt(x * x + y * y + z * z);
    if (!gravity_) {
        gravity_ = Axes{x, y, z};
        rawEMA_ = raw;
        return std::nullopt;
    }

    // Gravity follows slowly (0.5 s) and stands still while a tap is captured.
    Axes& gravity = *gravity_;
    const Axes dynamic{x - gravity[0], y - gravity[1], z - gravity[2]};
    if (!capture_) {
        const double follow = 1 - std::exp(-2 * dtc);
        for (int axis = 0; axis < 3; ++axis) gravity[axis] += follow * dynamic[axis];
    }

    Frame frame;
    frame.t = ts;
    for (int axis = 0; axis < 3; ++axis) frame.axes[axis] = filters_[axis].process(dynamic[axis]);
    const double mag = std::sqrt(frame.axes[0] * frame.axes[0] + frame.axes[1] * frame.axes[1] +
                                 frame.axes[2] * frame.axes[2]);
    frame.magnitude = mag;
    frame.raw = sample;
    // A broken gyroscope reading must not spoil the tap's signature.
    if (sample.gyro && !finite(sample.gyro->t, sample.gyro->x, sample.gyro->y, sample.gyro->z))
        frame.raw.gyro.reset();
    magnitude_ = mag;

    const double beta = 1 - std::exp(-dtc / 0.062);
    const double rawDelta = raw - rawEMA_;
    const double magDelta = mag - magEMA_;
    rawEMA_ += beta * rawDelta;
    magEMA_ += beta * magDelta;
    const double threshold = std::max(4 * noise_, config.threshold);
    effectiveThreshold_ = threshold;
    // The floor learns only from quiet samples.
    if (!capture_ && mag < 0.6 * threshold)
        noise_ = std::max(std::min(noise_ + beta * (mag - noise_), noiseFloorMaximum), noiseFloorMinimum);

    history_.push_back(frame);
    while (ts - history_.front().t > historyLength) history_.pop_front();

    if (typing || !enabled) {
        if (typing && (capture_ || mag > threshold)) ++rejectedTyping_;
        capture_ = false;
        quietSince_.reset();
        armed_ = false;
        return std::nullopt;
    }

    // Re-arming needs 20 ms of quiet and the cooldown since the last onset.
    if (!armed_) {
        if (mag >= 0.35 * threshold) {
            quietSince_.reset();
        } else {
            if (!quietSince_) quietSince_ = ts;
            if (ts - *quietSince_ >= quietNeeded && ts - onset_ >= config.cooldown) armed_ = true;
        }
        if (!armed_) return capture_ ? continueCapture(frame) : std::nullopt;
    }
    if (capture_) return continueCapture(frame);

    // Onset: the filtered magnitude passes the threshold and jumps, and the
    // raw norm jumps too.
    if (ts - onset_ >= config.cooldown && mag > threshold && magDelta > 0.4 * threshold &&
        std::abs(rawDelta) > std::max(0.022, 0.5 * threshold))
        return startCapture(frame);
    return std::nullopt;
}

std::optional<Hit> TapDetector::startCapture(const Frame& frame) {
    const double ts = frame.t;
    const double threshold = effectiveThreshold_;
    capture_ = true;
    quietSince_.reset();
    armed_ = false;
    onset_ = ts;
    captureThreshold_ = threshold;

    // The side features are timed from the first frame of the last 8 ms that
    // stands out of the noise.
    std::size_t first = history_.size();
    while (first > 0 && ts - history_[first - 1].t <= preOnset) --first;
    const double level = std::max(3 * noise_, 0.2 * threshold);
    sideStart_ = ts;
    for (std::size_t i = first; i < history_.size(); ++i) {
        if (history_[i].magnitude > level) {
            sideStart_ = history_[i].t;
            break;
        }
    }

    // Baseline from 100 ms to 12 ms before the side start, so a drifting
    // baseline before the tap does not bend its features.
    baseline_ = {};
    Axes axesSum{}, gyroSum{};
    int axesCount = 0, gyroCount = 0;
    for (std::size_t i = 0; i < history_.size(); ++i) {
        const Frame& old = history_[i];
        const double before = sideStart_ - old.t;
        if (!(before > baselineNearest && before < baselineFarthest)) continue;
        ++axesCount;
        for (int axis = 0; axis < 3; ++axis) axesSum[axis] += old.axes[axis];
        if (!old.raw.gyro) continue;
        ++gyroCount;
        gyroSum[0] += old.raw.gyro->x;
        gyroSum[1] += old.raw.gyro->y;
        gyroSum[2] += old.raw.gyro->z;
    }
    if (axesCount >= 4)
        for (int axis = 0; axis < 3; ++axis) baseline_[axis] = axesSum[axis] / axesCount;
    if (gyroCount >= 4)
        for (int axis = 0; axis < 3; ++axis) baseline_[3 + axis] = gyroSum[axis] / gyroCount;

    attack_.clear();
    for (std::size_t i = first; i < history_.size(); ++i)
        if (history_[i].t >= sideStart_ && history_[i].t < ts) attack_.push_back(history_[i]);

    rawCapture_.clear();
    for (std::size_t i = 0; i < history_.size(); ++i)
        if (ts - history_[i].t <= traceBefore) rawCapture_.push_back(history_[i].raw);
    peak_ = 0;
    return continueCapture(frame);
}

std::optional<Hit> TapDetector::continueCapture(const Frame& frame) {
    const double elapsed = frame.t - onset_;
    if (rawCapture_.empty() || rawCapture_.back().t != frame.t) rawCapture_.push_back(frame.raw);
    if (elapsed <= attackLength) {
        attack_.push_back(frame);
        peak_ = std::max(peak_, frame.magnitude);
    }
    if (elapsed < attackLength) return std::nullopt;

    capture_ = false;
    if (peak_ < captureThreshold_ || peak_ / noise_ < 2) return std::nullopt;
    return finishTap();
}

Hit TapDetector::finishTap() {
    SideSignature signature = sideSignature(attack_, baseline_, sideStart_, noise_, peak_);
    std::optional<SideFeatures> impulse = attackImpulse(attack_, baseline_);
    const SideDecision decision =
        decideSide(signature, impulse, peak_, config, sideProfile, lightSideProfile);
    selectedSideModel_ = decision.model;
    lastHitTrace_ = rawCapture_;

    Hit hit;
    hit.t = onset_;
    hit.side = decision.side;
    hit.drum = decision.drum;
    hit.peak = peak_;
    // Only the strength sets the loudness: neither the side nor the model does.
    hit.velocity = tapVelocity(peak_, captureThreshold_, config.fullVelocity);
    hit.attackX = decision.attackX;
    hit.sideConfidence = decision.sideConfidence;
    hit.features = std::move(signature.features);
    hit.sideReliable = decision.sideReliable;
    hit.impulse = std::move(impulse);
    return hit;
}

}  // namespace knockbox
