#pragma once
// The side model for gentle taps: up to two side profiles, one fitted on the
// taps' side signatures and one on their impulse signatures, and the strength
// band it was calibrated for. The detector asks it only about taps whose peak
// lies strictly below `maximumPeak`; firm taps go to the firm-tap profile as
// if this one were not there. Its file is its own: saving it never touches
// the firm-tap profile's file.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "detection/side_features.h"
#include "detection/side_model.h"
#include "sidemodels/side_profile.h"

namespace knockbox {

struct LightProfileError : std::runtime_error {
    LightProfileError() : std::runtime_error("Nieprawidłowy profil lekkich klepnięć. Użyj --calibrate-light.") {}
};

struct LightSideProfile {
    int version = 2;  // 1: `profile` only; 2: `profile`, `impulseProfile` or both
    std::optional<SideProfile> profile;         // judges the side signature
    std::optional<SideProfile> impulseProfile;  // judges the impulse signature (version 2)
    double maximumPeak = 0;                     // g, exclusive; finite and > 0

    LightSideProfile(SideProfile profile, double maximumPeak);  // version 1
    LightSideProfile(std::optional<SideProfile> profile, std::optional<SideProfile> impulseProfile,
                     double maximumPeak);  // version 2, as the light calibration makes it

    bool usesImpulse() const { return impulseProfile.has_value(); }
    // The better of the two wrapped profiles' leave-one-out accuracies.
    double validationAccuracy() const;

    // Both models' opinions combined; `impulse` is absent for taps with too
    // few frames. Does not look at the tap's peak.
    std::optional<SidePrediction> predict(const SideFeatures& features,
                                          const std::optional<SideFeatures>& impulse) const;
    // A confident model never loses to an unsure or missing one; two confident
    // models that disagree abstain (confidence 0.5, not reliable).
    static std::optional<SidePrediction> combine(const std::optional<SidePrediction>& a,
                                                 const std::optional<SidePrediction>& b);

    // Throws LightProfileError (version, band, forms) or the wrapped
    // profiles' CalibrationError (invalidProfile, hardwareMismatch).
    void validate(const std::optional<std::string>& currentModel) const;
    // Validates (without the hardware), then writes the file atomically,
    // creating its folder. Throws those errors or CalibrationError::writeFailed.
    void save(const std::filesystem::path& path) const;
    // Throws CalibrationError readFailed, LightProfileError (malformed file),
    // CalibrationError (a malformed or foreign wrapped profile).
    static LightSideProfile load(const std::filesystem::path& path, const std::string& hardwareModel);

    friend bool operator==(const LightSideProfile&, const LightSideProfile&) = default;
};

}  // namespace knockbox
