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
constexpr double minimumStep = 0.0001;      // s: the step used by the time constants is clamped
constexpr double maximumStep = 0.02;        //    to this range
constexpr double gravityFollow = 0.5;       // s: time constant of the gravity estimate
constexpr double trendTime = 0.062;         // s: time constant of the raw and magnitude trends
constexpr double thresholdPerNoise = 4;     // the effective threshold is at least this many noise floors
constexpr double quietForNoise = 0.6;       // × threshold: the floor learns only below this
constexpr double quietForRearm = 0.35;      // × threshold: the quiet that re-arms the detector
constexpr double onsetJump = 0.4;           // × threshold: rise of the magnitude over its trend
constexpr double rawJumpMinimum = 0.022;    // g: rise of the raw norm over its trend, at least,
constexpr double rawJumpPerThreshold = 0.5; //    or this share of the threshold
constexpr double peakPerNoise = 2;          // a tap's peak stands this far out of the noise
constexpr double sideStartPerNoise = 3;     // the side start stands out of the noise by this
constexpr double sideStartPerThreshold = 0.2;  // or by this share of the threshold
constexpr int baselineMinimumFrames = 4;

// No laptop's motion sensor measures more than 16 g, and a tap on the case
// stays within a few g: four times the widest range is beyond any true
// reading, yet far below what a broken value (the Q16 report's 32767 g, or
// 1e20 in a file) would inject into gravity and the filters.
constexpr double impossibleAcceleration = 64.0;  // g

bool finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

bool possible(const AccelSample& sample) {
    if (!finite(sample.t, sample.x, sample.y, sample.z)) return false;
    return sample.x * sample.x + sample.y * sample.y + sample.z * sample.z <=
           impossibleAcceleration * impossibleAcceleration;
}

}  // namespace

TapDetector::TapDetector(DetectorConfig config)
    : config_(config),
      effectiveThreshold_(std::max(thresholdPerNoise * noise_, config.threshold)),
      selectedSideModel_(heuristicModelName),
      onset_(-std::numeric_limits<double>::infinity()) {
    attack_.reserve(128);
    rawCapture_.reserve(256);
    lastHitTrace_.reserve(256);
}

void TapDetector::setConfig(const DetectorConfig& config) noexcept {
    config_ = config;
    effectiveThreshold_ = std::max(thresholdPerNoise * noise_, config_.threshold);
}

void TapDetector::setEarlyTrigger(std::optional<EarlyTrigger> trigger) noexcept {
    if (trigger && !(std::isfinite(trigger->earliest) && std::isfinite(trigger->latest))) trigger.reset();
    if (trigger) {
        trigger->latest = std::clamp(trigger->latest, 0.0, attackLength);
        trigger->earliest = std::clamp(trigger->earliest, 0.0, trigger->latest);
    }
    earlyTrigger_ = trigger;
}

std::optional<EarlyDecision> TapDetector::takeEarlyDecision() noexcept {
    std::optional<EarlyDecision> taken = std::move(early_);
    early_.reset();
    return taken;
}

void TapDetector::setSideProfile(std::optional<FirmSideModel> model) { sideProfile_ = std::move(model); }

void TapDetector::setLightSideProfile(std::optional<LightSideModel> model) {
    lightSideProfile_ = std::move(model);
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
    early_.reset();  // one not taken belongs to an earlier call
    const double ts = sample.t;
    if (!possible(sample)) return std::nullopt;  // as if it never came
    double dt = firstStep;
    if (lastT_) {
        if (!(ts > *lastT_)) return std::nullopt;  // duplicates and backwards times
        dt = ts - *lastT_;
    }
    const double dtc = std::clamp(dt, minimumStep, maximumStep);
    if (dt > gapLength) restartConditioning();  // a running capture is abandoned
    lastT_ = ts;

    const double x = sample.x, y = sample.y, z = sample.z;
    const double raw = std::sqrt(x * x + y * y + z * z);
    if (!gravity_) {
        gravity_ = Axes{x, y, z};
        rawEMA_ = raw;
        return std::nullopt;
    }

    // Gravity follows slowly and stands still while a tap is captured.
    Axes& gravity = *gravity_;
    const Axes dynamic{x - gravity[0], y - gravity[1], z - gravity[2]};
    if (!capture_) {
        const double follow = 1 - std::exp(-dtc / gravityFollow);
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

    const double beta = 1 - std::exp(-dtc / trendTime);
    const double rawDelta = raw - rawEMA_;
    const double magDelta = mag - magEMA_;
    rawEMA_ += beta * rawDelta;
    magEMA_ += beta * magDelta;
    const double threshold = std::max(thresholdPerNoise * noise_, config_.threshold);
    effectiveThreshold_ = threshold;
    // The floor learns only from quiet samples.
    if (!capture_ && mag < quietForNoise * threshold)
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
        if (mag >= quietForRearm * threshold) {
            quietSince_.reset();
        } else {
            if (!quietSince_) quietSince_ = ts;
            if (ts - *quietSince_ >= quietNeeded && ts - onset_ >= config_.cooldown) armed_ = true;
        }
        if (!armed_) return capture_ ? continueCapture(frame) : std::nullopt;
    }
    if (capture_) return continueCapture(frame);

    // Onset: the filtered magnitude passes the threshold and jumps, and the
    // raw norm jumps too.
    if (ts - onset_ >= config_.cooldown && mag > threshold && magDelta > onsetJump * threshold &&
        std::abs(rawDelta) > std::max(rawJumpMinimum, rawJumpPerThreshold * threshold))
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
    const double level = std::max(sideStartPerNoise * noise_, sideStartPerThreshold * threshold);
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
    if (axesCount >= baselineMinimumFrames)
        for (int axis = 0; axis < 3; ++axis) baseline_[axis] = axesSum[axis] / axesCount;
    if (gyroCount >= baselineMinimumFrames)
        for (int axis = 0; axis < 3; ++axis) baseline_[3 + axis] = gyroSum[axis] / gyroCount;

    attack_.clear();
    for (std::size_t i = first; i < history_.size(); ++i)
        if (history_[i].t >= sideStart_ && history_[i].t < ts) attack_.push_back(history_[i]);

    rawCapture_.clear();
    for (std::size_t i = 0; i < history_.size(); ++i)
        if (ts - history_[i].t <= traceBefore) rawCapture_.push_back(history_[i].raw);
    peak_ = 0;
    earlyJudged_ = false;
    return continueCapture(frame);
}

std::optional<Hit> TapDetector::continueCapture(const Frame& frame) {
    const double elapsed = frame.t - onset_;
    if (rawCapture_.empty() || rawCapture_.back().t != frame.t) rawCapture_.push_back(frame.raw);
    if (elapsed <= attackLength) {
        attack_.push_back(frame);
        peak_ = std::max(peak_, frame.magnitude);
    }
    if (earlyTrigger_ && !earlyJudged_ && elapsed >= earlyTrigger_->earliest) decideEarly(frame, elapsed);
    if (elapsed < attackLength) return std::nullopt;

    capture_ = false;
    if (!accepted()) return std::nullopt;
    return finishTap();
}

bool TapDetector::accepted() const noexcept {
    return peak_ >= captureThreshold_ && peak_ / noise_ >= peakPerNoise;
}

EarlyDecision TapDetector::judgeTap(bool wholeWindow) const {
    SideSignature signature = sideSignature(attack_, baseline_, sideStart_, noise_, peak_);
    std::optional<SideFeatures> impulse;
    if (wholeWindow) impulse = attackImpulse(attack_, baseline_);
    const SideDecision decision =
        decideSide(signature, impulse, peak_, config_, sideProfile_, lightSideProfile_);

    EarlyDecision judged;
    judged.model = decision.model;
    Hit& hit = judged.hit;
    hit.t = onset_;
    hit.side = decision.side;
    hit.drum = decision.drum;
    hit.peak = peak_;
    // Only the strength sets the loudness: neither the side nor the model does.
    hit.velocity = tapVelocity(peak_, captureThreshold_, config_.fullVelocity);
    hit.attackX = decision.attackX;
    hit.sideConfidence = decision.sideConfidence;
    hit.features = std::move(signature.features);
    hit.sideReliable = decision.sideReliable;
    hit.impulse = std::move(impulse);
    return judged;
}

// The early decision sees every frame so far; decided at the window's end it
// sees what the hit sees, and is the hit. Before the latest time it waits
// until the tap's strength has settled and its side is sure.
void TapDetector::decideEarly(const Frame& frame, double elapsed) {
    const EarlyTrigger& trigger = *earlyTrigger_;
    const bool last = elapsed >= trigger.latest;
    const bool settled = frame.magnitude <= trigger.peakFallen * peak_ || peak_ >= config_.fullVelocity;
    if (!last && !settled) return;
    if (!accepted()) {
        if (last) earlyJudged_ = true;  // a tap that never stood out has no early decision
        return;
    }
    EarlyDecision judged = judgeTap(elapsed >= attackLength);
    if (!last && !judged.hit.sideReliable) return;
    earlyJudged_ = true;
    judged.after = elapsed;
    early_ = std::move(judged);
}

Hit TapDetector::finishTap() {
    EarlyDecision judged = judgeTap(true);
    selectedSideModel_ = judged.model;
    lastHitTrace_ = rawCapture_;
    return std::move(judged.hit);
}

}  // namespace knockbox
