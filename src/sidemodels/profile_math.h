#pragma once
// The few numerical pieces of the side models, written plainly: the same
// operations in the same order give the same bits on every platform (this
// library is built without floating-point contraction).

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace knockbox::profile_math {

inline constexpr std::size_t maximumSize = 8;

// A square matrix of at most 8 × 8, stored in place.
struct SmallMatrix {
    std::size_t size = 0;
    std::array<std::array<double, maximumSize>, maximumSize> entries{};
};

using SmallVector = std::array<double, maximumSize>;  // the first `size` entries count

// Median: the middle value, or the mean of the two middle values. Needs at
// least one value.
double middle(std::vector<double> values);

struct Location {
    double centre = 0;
    double noise = 0;  // 1.4826 × median absolute deviation from the centre
};

// The mean of the values within max(3.5 × 1.4826 × MAD, 0.01 × max(|median|, 1))
// of the median, and the spread around that centre. Needs at least one value.
Location robustLocation(const std::vector<double>& values);

// Lower-triangular L with L·Lᵀ = matrix (Cholesky–Banachiewicz, row by row),
// or nothing when a pivot before its square root is not finite or ≤ 1e-10.
std::optional<SmallMatrix> cholesky(const SmallMatrix& matrix);

// Σ y² for factor · y = z (forward substitution): the squared Mahalanobis
// distance of z. Uses the first factor.size entries of z.
double squaredDistance(const SmallVector& z, const SmallMatrix& factor);

}  // namespace knockbox::profile_math
