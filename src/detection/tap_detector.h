#pragma once
// The tap detector: accelerometer samples in, hits out.
//
// Contract: one `process` call per sample, in arrival order, at about 800 Hz
// (the high-pass coefficients assume that rate; every time constant is in
// seconds of sensor time). Invalid samples (non-finite values, an
// acceleration above 64 g that no sensor reports, times that do not
// increase) are dropped whole; a gap above 0.1 s restarts the
// conditioning. A hit is returned 34 ms after its onset, by the first sample
// at or past the end of the attack window. Per sample the work is fixed and
// nothing is allocated after construction; a finished tap allocates its
// signatures (and so does its early decision). One thread at a time.
//
// Fast trigger (off unless an early trigger is set): each tap is also judged
// a few milliseconds after its onset, from the frames seen so far, by the
// same code that judges the whole window, and decided as soon as it is clear
// (early_trigger.h); the owner takes that early decision after the call that
// made it. The hit still comes at the end of the window and never depends on
// the early decision.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/accel_sample.h"
#include "detection/detector_config.h"
#include "detection/early_trigger.h"
#include "detection/frame_history.h"
#include "detection/high_pass.h"
#include "detection/hit.h"
#include "detection/side_model.h"
#include "detection/side_signature.h"

namespace knockbox {

// The fast trigger's rule, chosen by measurement (tools/early_window_table
// prints the table): judged at every sample from 3 ms after the onset,
// decided once the side is sure and the magnitude has fallen to three
// quarters of its peak, at 8 ms whatever it shows. On simulated grooves,
// rolls and calibration sessions the heuristic decides at 3.75 ms and
// learned profiles at about 6–7.5 ms (the first milliseconds' signature lies
// outside their support until then); side and drum agree with the full
// window's on at least 99.6 % of the taps. Taps whose peak comes late wait
// for it (about 6 ms with the heuristic).
inline constexpr EarlyTrigger fastTriggerRule{0.003, 0.008, 0.75};

// A tap as the first frames of its attack window show it: `hit` as the full
// window would report it (its `t` is the onset), the side model that judged
// it, and when it was decided.
struct EarlyDecision {
    Hit hit;
    std::string_view model;
    double after = 0;  // s from the onset to the sample that decided
};

class TapDetector {
public:
    using Frame = DetectorFrame;

    explicit TapDetector(DetectorConfig config = {});

    const DetectorConfig& config() const noexcept { return config_; }
    // Replaces the settings between samples (the typing calibration raises
    // the thresholds); the effective threshold follows at once.
    void setConfig(const DetectorConfig& config) noexcept;
    // The learned side models, installed between samples; nothing removes one.
    void setSideProfile(std::optional<FirmSideModel> model);       // firm taps
    void setLightSideProfile(std::optional<LightSideModel> model);  // taps below its maximum peak

    // Fast trigger: each tap is also decided early, by `trigger` (its times
    // held within the 34 ms window; decided at 34 ms, the early decision is
    // the hit). Absent: never. Set between samples.
    void setEarlyTrigger(std::optional<EarlyTrigger> trigger) noexcept;
    const std::optional<EarlyTrigger>& earlyTrigger() const noexcept { return earlyTrigger_; }
    // The early decision made by the latest `process` call, if it made one
    // (at most one per tap); taking it leaves none.
    std::optional<EarlyDecision> takeEarlyDecision() noexcept;

    // `typing`: a key went down within the typing window; `enabled`: hits may
    // be reported (false during the warm-up). Conditioning runs for every
    // valid sample whatever these say.
    std::optional<Hit> process(const AccelSample& sample, bool typing, bool enabled);

    // A tap's attack window is open: one of the next samples completes a hit.
    bool capturing() const noexcept { return capture_; }
    // Waiting for an onset: the next sample may start a tap.
    bool armed() const noexcept { return armed_ && !capture_; }
    double noise() const noexcept { return noise_; }  // g, adaptive noise floor, 0.0035–0.03
    double magnitude() const noexcept { return magnitude_; }  // g, latest dynamic magnitude
    // g: max(4 × noise, config.threshold) as of the latest sample.
    double effectiveThreshold() const noexcept { return effectiveThreshold_; }
    // Attacks suppressed because of typing; only grows.
    std::int64_t rejectedTyping() const noexcept { return rejectedTyping_; }
    // "heurystyka", "główny" or "lekki": the model that judged the latest hit.
    std::string_view selectedSideModel() const noexcept { return selectedSideModel_; }
    // Raw samples of the latest hit, from 100 ms before its onset to the end of its window.
    const std::vector<AccelSample>& lastHitTrace() const noexcept { return lastHitTrace_; }

private:
    void restartConditioning();
    std::optional<Hit> startCapture(const Frame& frame);
    std::optional<Hit> continueCapture(const Frame& frame);
    // The tap's peak stands out of the threshold and the noise.
    bool accepted() const noexcept;
    // The tap as the frames captured so far show it. The impulse signature
    // sums 30 ms from the first impulse: only the whole window forms it, and
    // before that the light model judges by the side signature alone.
    EarlyDecision judgeTap(bool wholeWindow) const;
    void decideEarly(const Frame& frame, double elapsed);
    Hit finishTap();

    DetectorConfig config_;
    std::optional<FirmSideModel> sideProfile_;
    std::optional<LightSideModel> lightSideProfile_;
    double noise_ = 0.0035;
    double magnitude_ = 0;
    double effectiveThreshold_;
    std::int64_t rejectedTyping_ = 0;
    std::string_view selectedSideModel_;
    std::vector<AccelSample> lastHitTrace_;

    std::optional<Axes> gravity_;
    double rawEMA_ = 1.0;
    double magEMA_ = 0;
    std::array<HighPass, 3> filters_{};
    std::optional<double> lastT_;
    FrameHistory history_;
    std::vector<Frame> attack_;
    std::vector<AccelSample> rawCapture_;
    double sideStart_ = 0;
    double onset_;
    std::optional<double> quietSince_;
    bool armed_ = true;
    bool capture_ = false;
    double captureThreshold_ = 0;
    Baseline baseline_{};
    double peak_ = 0;
    std::optional<EarlyTrigger> earlyTrigger_;
    bool earlyJudged_ = false;  // the running capture has had its early decision
    std::optional<EarlyDecision> early_;
};

}  // namespace knockbox
