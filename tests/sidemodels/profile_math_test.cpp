#include "sidemodels/profile_math.h"

#include <gtest/gtest.h>

#include <limits>

namespace knockbox::profile_math {
namespace {

TEST(ProfileMath, MedianAndRobustLocation) {
    EXPECT_EQ(middle({3, 1, 2}), 2);
    EXPECT_EQ(middle({4, 1, 3, 2}), 2.5);
    EXPECT_EQ(middle({7}), 7);

    // Median 3, deviation median 1, limit 3.5 × 1.4826: 100 is left out.
    const Location location = robustLocation({1, 2, 3, 4, 100});
    EXPECT_DOUBLE_EQ(location.centre, 2.5);
    EXPECT_NEAR(location.noise, 2.2239, 1e-4);

    // All equal: no spread, and the floor of the limit keeps every value.
    const Location flat = robustLocation({0.5, 0.5, 0.5});
    EXPECT_EQ(flat.centre, 0.5);
    EXPECT_EQ(flat.noise, 0);
    // The floor is relative to the median's size: 1000 ± 5 stays in.
    EXPECT_DOUBLE_EQ(robustLocation({1000, 1000, 1000, 1005}).centre, 1001.25);
}

SmallMatrix matrixOf(std::initializer_list<std::initializer_list<double>> rows) {
    SmallMatrix matrix;
    matrix.size = rows.size();
    std::size_t i = 0;
    for (const auto& row : rows) {
        std::size_t j = 0;
        for (double value : row) matrix.entries[i][j++] = value;
        ++i;
    }
    return matrix;
}

TEST(ProfileMath, CholeskyFactorAndSquaredDistance) {
    const auto factor = cholesky(matrixOf({{4, 12, -16}, {12, 37, -43}, {-16, -43, 98}}));
    ASSERT_TRUE(factor);
    const SmallMatrix expected = matrixOf({{2, 0, 0}, {6, 1, 0}, {-8, 5, 3}});
    EXPECT_EQ(factor->entries, expected.entries);
    // z = L · (1, 1, 1) solves back to y = (1, 1, 1): distance 3.
    EXPECT_DOUBLE_EQ(squaredDistance({2, 7, 0}, *factor), 3.0);

    // Not positive definite, a pivot at the limit, a non-finite entry.
    EXPECT_FALSE(cholesky(matrixOf({{1, 2}, {2, 1}})));
    EXPECT_FALSE(cholesky(matrixOf({{1e-10}})));
    EXPECT_TRUE(cholesky(matrixOf({{2e-10}})));
    EXPECT_FALSE(cholesky(matrixOf({{1, 0}, {0, std::numeric_limits<double>::infinity()}})));
    EXPECT_FALSE(cholesky(matrixOf({{std::numeric_limits<double>::quiet_NaN()}})));
}

}  // namespace
}  // namespace knockbox::profile_math
