#pragma once
// The learned side models as the tap detector consults them: a prediction per
// tap, and for the light-tap model the strength band it judges. The models are
// immutable values; the detector keeps a copy behind one of these seams, so
// any model with the right `predict` can be installed:
//
//   detector.sideProfile = profile;            // predict(features)
//   detector.lightSideProfile = lightProfile;  // predict(features, impulse), maximumPeak
//
// Installing copies the model (between samples); consulting it happens once
// per tap.

#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "core/side.h"
#include "detection/side_features.h"

namespace knockbox {

// A model's opinion on one tap. `confidence` lies in 0.5–1.
struct SidePrediction {
    static constexpr double leastConfidence = 0.6;

    Side side = Side::right;
    double confidence = 0.5;
    bool isReliable = false;
    bool isOutOfDistribution = false;

    // The one rule for a side that may be played, counted in a validation or
    // verification, or trusted over another model's: reliable, inside the
    // class's support, and confident.
    constexpr bool isConfident() const {
        return isReliable && !isOutOfDistribution && confidence >= leastConfidence;
    }

    friend bool operator==(const SidePrediction&, const SidePrediction&) = default;
};

// Confidently on `side`.
constexpr bool confidentlyOn(const std::optional<SidePrediction>& prediction, Side side) {
    return prediction && prediction->side == side && prediction->isConfident();
}

template <typename Model>
concept FirmSidePredictor = requires(const Model& model, const SideFeatures& features) {
    { model.predict(features) } -> std::convertible_to<std::optional<SidePrediction>>;
};

template <typename Model>
concept LightSidePredictor = requires(const Model& model, const SideFeatures& features,
                                      const std::optional<SideFeatures>& impulse) {
    { model.predict(features, impulse) } -> std::convertible_to<std::optional<SidePrediction>>;
    { model.maximumPeak } -> std::convertible_to<double>;
};

// The firm-tap model: judges a tap by its side signature.
class FirmSideModel {
public:
    using Prediction = std::function<std::optional<SidePrediction>(const SideFeatures&)>;

    explicit FirmSideModel(Prediction prediction) : prediction_(std::move(prediction)) {}

    template <FirmSidePredictor Model>
        requires(!std::same_as<std::remove_cvref_t<Model>, FirmSideModel>)
    FirmSideModel(Model model)  // implicit: a profile is assigned directly
        : prediction_([model = std::move(model)](const SideFeatures& features) {
              return std::optional<SidePrediction>(model.predict(features));
          }) {}

    // No prediction means the model has no opinion on this tap.
    std::optional<SidePrediction> predict(const SideFeatures& features) const {
        return prediction_(features);
    }

private:
    Prediction prediction_;
};

// The light-tap model: judges taps whose peak lies strictly below its
// `maximumPeak`, from the side signature and the impulse signature (absent
// when the tap had too few frames).
class LightSideModel {
public:
    using Prediction = std::function<std::optional<SidePrediction>(
        const SideFeatures&, const std::optional<SideFeatures>&)>;

    LightSideModel(double maximumPeak, Prediction prediction)
        : maximumPeak_(maximumPeak), prediction_(std::move(prediction)) {}

    template <LightSidePredictor Model>
        requires(!std::same_as<std::remove_cvref_t<Model>, LightSideModel>)
    LightSideModel(Model model)  // implicit: a profile is assigned directly
        : maximumPeak_(static_cast<double>(model.maximumPeak)),
          prediction_([model = std::move(model)](const SideFeatures& features,
                                                 const std::optional<SideFeatures>& impulse) {
              return std::optional<SidePrediction>(model.predict(features, impulse));
          }) {}

    double maximumPeak() const { return maximumPeak_; }  // g, exclusive

    std::optional<SidePrediction> predict(const SideFeatures& features,
                                          const std::optional<SideFeatures>& impulse) const {
        return prediction_(features, impulse);
    }

private:
    double maximumPeak_;
    Prediction prediction_;
};

}  // namespace knockbox
