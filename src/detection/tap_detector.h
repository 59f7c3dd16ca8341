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
// signatures. One thread at a time.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/accel_sample.h"
#include "detection/detector_config.h"
#include "detection/frame_history.h"
#include "detection/high_pass.h"
#include "detection/hit.h"
#include "detection/side_model.h"
#include "detection/side_signature.h"

namespace knockbox {

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

    // `typing`: a key went down within the typing window; `enabled`: hits may
    // be reported (false during the warm-up). Conditioning runs for every
    // valid sample whatever these say.
    std::optional<Hit> process(const AccelSample& sample, bool typing, bool enabled);

    // A tap's attack window is open: one of the next samples completes a hit.
    bool capturing() const noexcept { return capture_; }
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
};

}  // namespace knockbox
