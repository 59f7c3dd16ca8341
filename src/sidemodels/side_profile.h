#pragma once
// The learned left/right classifier of one Mac, fitted from the side
// signatures of labelled calibration taps.
//
// Version 2 (every new fit) standardises each useful feature by a robust
// scale, models the correlation of the standardised features by a shrunk
// covariance, decides by Mahalanobis distance to the two class centres and
// gates its confidence by each class's support radius. Version 1 (older
// files) decides by a diagonal scaled distance, without support gate or
// confidence cap, and keeps predicting exactly that way.
//
// An immutable value: trained or loaded once, then only asked. Everything is
// at most 8 × 8; prediction allocates nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "detection/side_features.h"
#include "detection/side_model.h"

namespace knockbox {

struct CovarianceModel {
    // Shrunk covariance of the standardised features, symmetric.
    std::array<std::array<double, 8>, 8> covariance{};
    std::array<double, 2> supportRadii{};  // left, right; each > 0

    friend bool operator==(const CovarianceModel&, const CovarianceModel&) = default;
};

struct SideProfile {
    static constexpr std::size_t featureCount = 8;
    static constexpr std::size_t minimumTrainingSamples = 8;
    // The signature values that need the gyroscope.
    static constexpr std::array<std::size_t, 4> gyroIndices{3, 4, 5, 7};
    // The group of each value; a group's values measure the same thing and
    // together weigh about as much as one: [0, 1, 2] X, [3, 4] gyro Y,
    // [5] gyro Z, [6] Y, [7] gyro X.
    static constexpr std::size_t featureGroupCount = 5;
    static constexpr std::array<std::size_t, 8> featureGroup{0, 0, 0, 1, 1, 2, 3, 4};

    static constexpr bool isGyroIndex(std::size_t index) {
        for (std::size_t gyro : gyroIndices)
            if (gyro == index) return true;
        return false;
    }

    int version = 2;  // 1 or 2
    std::array<double, 8> left{};    // class centres, per feature
    std::array<double, 8> right{};
    std::array<double, 8> scales{};  // 0: the feature is not used
    std::array<std::int64_t, 2> counts{};  // training taps: left, right
    double validationAccuracy = 0;          // leave-one-out, 0.75–1
    std::string hardwareModel;              // of the Mac that was calibrated
    std::optional<CovarianceModel> covarianceModel;  // version 2 only

    // Fits a version 2 profile from eight or more taps a side and checks it by
    // leave-one-out validation. Throws CalibrationError: invalidHardware,
    // insufficientSamples, invalidFeatures, repeatedSamples,
    // indistinguishable, poorValidation, in that order of checking.
    static SideProfile train(std::span<const SideFeatures> left, std::span<const SideFeatures> right,
                             const std::string& hardwareModel);

    // The side of one tap, or nothing when the profile has no opinion on it
    // (an invalid profile, unusable values, a tap between the classes).
    std::optional<SidePrediction> predict(const SideFeatures& features) const;

    // The structural check every other operation relies on.
    bool isValid() const;

    // Throws CalibrationError: invalidProfile, or hardwareMismatch when a
    // model is given and differs from the stored one.
    void validate(const std::optional<std::string>& currentModel) const;

    // Writes the JSON file atomically, creating its folder. Throws
    // CalibrationError: invalidProfile (nothing written) or writeFailed.
    void save(const std::filesystem::path& path) const;
    // Reads, decodes and checks a file for this Mac. Throws CalibrationError:
    // readFailed, invalidProfile, hardwareMismatch. Version 1 stays version 1.
    static SideProfile load(const std::filesystem::path& path, const std::string& hardwareModel);

    friend bool operator==(const SideProfile&, const SideProfile&) = default;
};

// The profile as a JSON object (member names ascending, "covarianceModel" only
// when present), as the light profile file embeds it too.
nlohmann::json sideProfileJson(const SideProfile& profile);
// Decodes such an object; a missing member or a wrong type throws
// CalibrationError invalidProfile. Unknown members are ignored. The result is
// not checked for validity.
SideProfile sideProfileFromJson(const nlohmann::json& json);

}  // namespace knockbox
