// The side profile's model: fit, leave-one-out training, prediction and the
// structural check. Sums run in the order written here (features in index
// order, left signatures before right ones) so that a file predicts the same
// everywhere.
#include "sidemodels/side_profile.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "sidemodels/calibration_error.h"
#include "sidemodels/profile_math.h"

namespace knockbox {
namespace {

using profile_math::SmallMatrix;
using profile_math::SmallVector;

constexpr std::size_t featureCount = SideProfile::featureCount;

constexpr double confidenceCap = 0.95;
constexpr double minimumMargin = 0.25;
constexpr double minimumRadius = 1.5;
constexpr double outOfDistribution = 1.5;  // × the support radius

// The features a tap can be judged on: those the profile uses, without the
// gyroscope ones when the tap had no gyroscope data.
struct UsedFeatures {
    std::array<std::size_t, featureCount> index{};
    std::size_t count = 0;
};

UsedFeatures usedFeatures(const std::array<double, 8>& scales, bool gyroAvailable) {
    UsedFeatures used;
    for (std::size_t i = 0; i < featureCount; ++i)
        if (scales[i] > 0 && (gyroAvailable || !SideProfile::isGyroIndex(i))) used.index[used.count++] = i;
    return used;
}

std::size_t activeFeatureCount(const std::array<double, 8>& scales) {
    return static_cast<std::size_t>(std::count_if(scales.begin(), scales.end(), [](double s) { return s > 0; }));
}

SmallMatrix restricted(const std::array<std::array<double, 8>, 8>& matrix, const UsedFeatures& used) {
    SmallMatrix result;
    result.size = used.count;
    for (std::size_t a = 0; a < used.count; ++a)
        for (std::size_t b = 0; b < used.count; ++b) result.entries[a][b] = matrix[used.index[a]][used.index[b]];
    return result;
}

SmallVector standardised(const std::vector<double>& values, const std::array<double, 8>& centre,
                         const std::array<double, 8>& scales, const UsedFeatures& used) {
    SmallVector z{};
    for (std::size_t a = 0; a < used.count; ++a) {
        const std::size_t i = used.index[a];
        z[a] = (values[i] - centre[i]) / scales[i];
    }
    return z;
}

bool hasEightFiniteValues(const SideFeatures& features) {
    return features.values.size() == featureCount &&
           std::all_of(features.values.begin(), features.values.end(), [](double v) { return std::isfinite(v); });
}

std::optional<SidePrediction> covariancePrediction(const SideProfile& profile, const SideFeatures& features) {
    if (!hasEightFiniteValues(features) || !profile.covarianceModel) return std::nullopt;
    const UsedFeatures used = usedFeatures(profile.scales, features.gyroAvailable);
    if (used.count == 0) return std::nullopt;
    const auto factor = profile_math::cholesky(restricted(profile.covarianceModel->covariance, used));
    if (!factor) return std::nullopt;
    const SmallVector zL = standardised(features.values, profile.left, profile.scales, used);
    const SmallVector zR = standardised(features.values, profile.right, profile.scales, used);
    const double dL = profile_math::squaredDistance(zL, *factor);
    const double dR = profile_math::squaredDistance(zR, *factor);
    if (!std::isfinite(dL) || !std::isfinite(dR) || !(dL + dR > 0)) return std::nullopt;

    SidePrediction prediction;
    prediction.side = dR <= dL ? Side::right : Side::left;
    const double u = static_cast<double>(used.count);
    const double a = static_cast<double>(activeFeatureCount(profile.scales));
    const double r = profile.covarianceModel->supportRadii[prediction.side == Side::left ? 0 : 1] *
                     std::sqrt(u / std::max(a, 1.0));
    const double dist = std::sqrt(std::min(dL, dR));
    const double support = std::min(r / std::max(dist, 1e-9), 1.0);
    const double margin = std::abs(dL - dR) / (dL + dR);
    prediction.confidence = std::min(0.5 + 0.45 * margin * support, confidenceCap);
    prediction.isOutOfDistribution = dist > outOfDistribution * r;
    // Reliable: a clear margin, and confident inside the support.
    prediction.isReliable = margin >= minimumMargin;
    prediction.isReliable = prediction.isConfident();
    return prediction;
}

std::optional<SidePrediction> legacyPrediction(const SideProfile& profile, const SideFeatures& features) {
    if (!hasEightFiniteValues(features)) return std::nullopt;
    double dL = 0, dR = 0;
    bool anyUsed = false;
    for (std::size_t i = 0; i < featureCount; ++i) {
        const double scale = profile.scales[i];
        if (!(scale > 0) || (!features.gyroAvailable && SideProfile::isGyroIndex(i))) continue;
        anyUsed = true;
        const double zL = (features.values[i] - profile.left[i]) / scale;
        const double zR = (features.values[i] - profile.right[i]) / scale;
        dL += zL * zL;
        dR += zR * zR;
    }
    if (!anyUsed || !std::isfinite(dL) || !std::isfinite(dR) || dL + dR <= 0) return std::nullopt;
    const double margin = std::abs(dL - dR) / (dL + dR);
    if (!std::isfinite(margin) || margin <= 1e-12) return std::nullopt;
    SidePrediction prediction;
    prediction.side = dR <= dL ? Side::right : Side::left;
    prediction.confidence = 0.5 + 0.5 * std::min(margin, 1.0);
    prediction.isReliable = true;
    prediction.isOutOfDistribution = false;
    return prediction;
}

// ---- Fit -----------------------------------------------------------------

// The values of feature i over a class, without the gyroscope values of taps
// that had none.
std::vector<double> featureValues(std::span<const SideFeatures> signatures, std::size_t i) {
    std::vector<double> values;
    values.reserve(signatures.size());
    for (const SideFeatures& signature : signatures)
        if (signature.gyroAvailable || !SideProfile::isGyroIndex(i)) values.push_back(signature.values[i]);
    return values;
}

// A class's support radius: how far (in Mahalanobis terms, scaled up to the
// full feature count for taps without gyroscope) its own taps lie from its
// centre, robustly: median + 3.5 × 1.4826 × MAD, at least 1.5.
double supportRadius(std::span<const SideFeatures> signatures, const std::array<double, 8>& centre,
                     const std::array<double, 8>& scales, const std::array<std::array<double, 8>, 8>& covariance) {
    const double a = static_cast<double>(activeFeatureCount(scales));
    std::vector<double> distances;
    for (const SideFeatures& signature : signatures) {
        const UsedFeatures used = usedFeatures(scales, signature.gyroAvailable);
        if (used.count == 0) continue;
        const auto factor = profile_math::cholesky(restricted(covariance, used));
        if (!factor) continue;
        const double u = static_cast<double>(used.count);
        const SmallVector z = standardised(signature.values, centre, scales, used);
        const double dist = std::sqrt(a / u) * std::sqrt(profile_math::squaredDistance(z, *factor));
        if (std::isfinite(dist)) distances.push_back(dist);
    }
    if (distances.empty()) return minimumRadius;
    const double median = profile_math::middle(distances);
    std::vector<double> deviations;
    deviations.reserve(distances.size());
    for (double dist : distances) deviations.push_back(std::abs(dist - median));
    const double mad = profile_math::middle(deviations);
    return std::max(median + 3.5 * 1.4826 * mad, minimumRadius);
}

SideProfile fitV2(std::span<const SideFeatures> left, std::span<const SideFeatures> right,
                  const std::string& hardwareModel) {
    SideProfile fit;
    fit.version = 2;
    for (std::size_t i = 0; i < featureCount; ++i) {
        const std::vector<double> leftValues = featureValues(left, i);
        const std::vector<double> rightValues = featureValues(right, i);
        if (leftValues.size() < 3 || rightValues.size() < 3) continue;  // centres and scale stay 0
        const auto [cL, nL] = profile_math::robustLocation(leftValues);
        const auto [cR, nR] = profile_math::robustLocation(rightValues);
        fit.left[i] = cL;
        fit.right[i] = cR;
        const double floor =
            std::max(std::sqrt((nL * nL + nR * nR) / 2.0), 0.005 * std::max({std::abs(cL), std::abs(cR), 1.0}));
        const double sep = std::abs(cR - cL);
        if (std::isfinite(sep) && std::isfinite(floor) && sep > 1.25 * floor) {
            const double ratio = floor / sep;
            const double shrink = std::max(1.0 - ratio * ratio, 0.1);
            const double spread = 0.2 * sep;
            fit.scales[i] = std::sqrt(spread * spread + floor * floor) / std::sqrt(shrink);
        }
    }

    // The features of one group together weigh about as much as one feature.
    for (std::size_t group = 0; group < SideProfile::featureGroupCount; ++group) {
        std::size_t k = 0;
        for (std::size_t i = 0; i < featureCount; ++i)
            if (SideProfile::featureGroup[i] == group && fit.scales[i] > 0) ++k;
        const double weight = std::sqrt(static_cast<double>(k));
        for (std::size_t i = 0; i < featureCount; ++i)
            if (SideProfile::featureGroup[i] == group && fit.scales[i] > 0) fit.scales[i] *= weight;
    }

    std::array<std::array<double, 8>, 8> sums{};
    const auto accumulate = [&](std::span<const SideFeatures> signatures, const std::array<double, 8>& centre) {
        for (const SideFeatures& signature : signatures) {
            const UsedFeatures used = usedFeatures(fit.scales, signature.gyroAvailable);
            SmallVector z = standardised(signature.values, centre, fit.scales, used);
            for (std::size_t a = 0; a < used.count; ++a) z[a] = std::clamp(z[a], -3.0, 3.0);
            for (std::size_t a = 0; a < used.count; ++a)
                for (std::size_t b = 0; b < used.count; ++b) sums[used.index[a]][used.index[b]] += z[a] * z[b];
        }
    };
    accumulate(left, fit.left);
    accumulate(right, fit.right);
    const double total = static_cast<double>(left.size() + right.size());

    CovarianceModel model;
    for (std::size_t a = 0; a < featureCount; ++a)
        for (std::size_t b = 0; b < featureCount; ++b) {
            const double c = sums[a][b] / total;
            model.covariance[a][b] = a == b ? c + 0.25 : 0.2 * c;
        }
    model.supportRadii = {supportRadius(left, fit.left, fit.scales, model.covariance),
                          supportRadius(right, fit.right, fit.scales, model.covariance)};

    fit.counts = {static_cast<std::int64_t>(left.size()), static_cast<std::int64_t>(right.size())};
    fit.validationAccuracy = 1;
    fit.hardwareModel = hardwareModel;
    fit.covarianceModel = model;
    return fit;
}

// Share of a class's taps that a fit without them puts confidently on their side.
double leaveOneOutAccuracy(std::span<const SideFeatures> heldOutClass, std::span<const SideFeatures> otherClass,
                           Side side, const std::string& hardwareModel) {
    std::size_t correct = 0;
    std::vector<SideFeatures> reduced;
    for (std::size_t out = 0; out < heldOutClass.size(); ++out) {
        reduced.assign(heldOutClass.begin(), heldOutClass.end());
        reduced.erase(reduced.begin() + static_cast<std::ptrdiff_t>(out));
        const SideProfile fit = side == Side::left ? fitV2(reduced, otherClass, hardwareModel)
                                                   : fitV2(otherClass, reduced, hardwareModel);
        // The reduced fit is asked directly: the validity check would refuse
        // it for its one tap too few.
        if (confidentlyOn(covariancePrediction(fit, heldOutClass[out]), side)) ++correct;
    }
    return static_cast<double>(correct) / static_cast<double>(heldOutClass.size());
}

std::size_t distinctValueLists(std::span<const SideFeatures> signatures) {
    std::vector<std::vector<double>> seen;
    for (const SideFeatures& signature : signatures)
        if (std::find(seen.begin(), seen.end(), signature.values) == seen.end()) seen.push_back(signature.values);
    return seen.size();
}

// Unicode white space and line breaks, as UTF-8.
constexpr std::string_view whiteSpace[] = {
    " ", "\t", "\n", "\v", "\f", "\r", "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
    "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F",
    "\u205F", "\u3000"};

// Nothing but white space and line breaks (or nothing at all).
bool isBlank(std::string_view text) {
    for (bool consumed = true; consumed && !text.empty();) {
        consumed = false;
        for (std::string_view space : whiteSpace) {
            if (text.starts_with(space)) {
                text.remove_prefix(space.size());
                consumed = true;
            }
        }
    }
    return text.empty();
}

}  // namespace

SideProfile SideProfile::train(std::span<const SideFeatures> left, std::span<const SideFeatures> right,
                               const std::string& hardwareModel) {
    using Kind = CalibrationError::Kind;
    if (isBlank(hardwareModel)) throw CalibrationError(Kind::invalidHardware);
    if (left.size() < minimumTrainingSamples || right.size() < minimumTrainingSamples)
        throw CalibrationError(Kind::insufficientSamples);
    if (!std::all_of(left.begin(), left.end(), hasEightFiniteValues) ||
        !std::all_of(right.begin(), right.end(), hasEightFiniteValues))
        throw CalibrationError(Kind::invalidFeatures);
    if (distinctValueLists(left) < 3 || distinctValueLists(right) < 3) throw CalibrationError(Kind::repeatedSamples);

    SideProfile fit = fitV2(left, right, hardwareModel);
    if (activeFeatureCount(fit.scales) == 0) throw CalibrationError(Kind::indistinguishable);

    const double leftAccuracy = leaveOneOutAccuracy(left, right, Side::left, hardwareModel);
    const double rightAccuracy = leaveOneOutAccuracy(right, left, Side::right, hardwareModel);
    const double accuracy = (leftAccuracy + rightAccuracy) / 2.0;
    if (accuracy < 0.75 || std::min(leftAccuracy, rightAccuracy) < 2.0 / 3.0)
        throw CalibrationError::poorValidation(accuracy);

    fit.validationAccuracy = accuracy;
    if (!fit.isValid()) throw CalibrationError(Kind::invalidFeatures);
    return fit;
}

std::optional<SidePrediction> SideProfile::predict(const SideFeatures& features) const {
    if (!isValid()) return std::nullopt;
    return version == 2 ? covariancePrediction(*this, features) : legacyPrediction(*this, features);
}

bool SideProfile::isValid() const {
    if (version != 1 && version != 2) return false;
    const std::int64_t minimumCount = version == 1 ? 6 : 8;
    if (counts[0] < minimumCount || counts[1] < minimumCount) return false;
    bool anyScale = false;
    for (std::size_t i = 0; i < featureCount; ++i) {
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return false;
        if (!std::isfinite(scales[i]) || scales[i] < 0) return false;
        if (scales[i] > 0) {
            anyScale = true;
            if (left[i] == right[i]) return false;
        }
    }
    if (!anyScale) return false;
    if (!std::isfinite(validationAccuracy) || validationAccuracy < 0.75 || validationAccuracy > 1) return false;
    if (isBlank(hardwareModel)) return false;
    if (version == 1) return true;

    if (!covarianceModel) return false;
    const auto& covariance = covarianceModel->covariance;
    for (std::size_t i = 0; i < featureCount; ++i)
        for (std::size_t j = 0; j < featureCount; ++j) {
            if (!std::isfinite(covariance[i][j])) return false;
            if (std::abs(covariance[i][j] - covariance[j][i]) > 1e-9) return false;
        }
    for (double radius : covarianceModel->supportRadii)
        if (!std::isfinite(radius) || !(radius > 0)) return false;
    SmallMatrix full;
    full.size = featureCount;
    for (std::size_t i = 0; i < featureCount; ++i)
        for (std::size_t j = 0; j < featureCount; ++j) full.entries[i][j] = covariance[i][j];
    return profile_math::cholesky(full).has_value();
}

void SideProfile::validate(const std::optional<std::string>& currentModel) const {
    if (!isValid()) throw CalibrationError(CalibrationError::Kind::invalidProfile);
    if (currentModel && *currentModel != hardwareModel)
        throw CalibrationError::hardwareMismatch(hardwareModel, *currentModel);
}

}  // namespace knockbox
