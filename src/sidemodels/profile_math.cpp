#include "sidemodels/profile_math.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace knockbox::profile_math {

double middle(std::vector<double> values) {
    assert(!values.empty() && "the median needs a value");
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    if (values.size() % 2 == 1) return values[half];
    return (values[half - 1] + values[half]) / 2.0;
}

Location robustLocation(const std::vector<double>& values) {
    const double median = middle(values);
    std::vector<double> deviations;
    deviations.reserve(values.size());
    for (double value : values) deviations.push_back(std::abs(value - median));
    const double mad = middle(deviations);
    const double limit = std::max(3.5 * 1.4826 * mad, 0.01 * std::max(std::abs(median), 1.0));

    double sum = 0;
    std::size_t inliers = 0;
    for (double value : values) {
        if (std::abs(value - median) <= limit) {
            sum += value;
            ++inliers;
        }
    }
    Location location;
    location.centre = inliers > 0 ? sum / static_cast<double>(inliers) : median;
    for (std::size_t i = 0; i < values.size(); ++i) deviations[i] = std::abs(values[i] - location.centre);
    location.noise = 1.4826 * middle(deviations);
    return location;
}

std::optional<SmallMatrix> cholesky(const SmallMatrix& matrix) {
    SmallMatrix factor;
    factor.size = matrix.size;
    for (std::size_t i = 0; i < matrix.size; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            double sum = matrix.entries[i][j];
            for (std::size_t k = 0; k < j; ++k) sum -= factor.entries[i][k] * factor.entries[j][k];
            if (i == j) {
                if (!std::isfinite(sum) || sum <= 1e-10) return std::nullopt;
                factor.entries[i][i] = std::sqrt(sum);
            } else {
                factor.entries[i][j] = sum / factor.entries[j][j];
            }
        }
    }
    return factor;
}

double squaredDistance(const SmallVector& z, const SmallMatrix& factor) {
    SmallVector y{};
    double total = 0;
    for (std::size_t i = 0; i < factor.size; ++i) {
        double sum = z[i];
        for (std::size_t k = 0; k < i; ++k) sum -= factor.entries[i][k] * y[k];
        y[i] = sum / factor.entries[i][i];
        total += y[i] * y[i];
    }
    return total;
}

}  // namespace knockbox::profile_math
