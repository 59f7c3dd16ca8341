#include "audio/sliding_minimum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace knockbox {
namespace {

// Against the plain minimum over the window, for every length up to the full
// capacity, on rising runs (where every value stays in the queue), falling
// runs and noise.
TEST(SlidingMinimum, MatchesTheBruteForceMinimumUpToItsFullCapacity) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(0.0f, 1.0f);
    std::vector<float> stream;
    for (int i = 0; i < 600; ++i) stream.push_back(static_cast<float>(i));        // rising
    for (int i = 0; i < 600; ++i) stream.push_back(static_cast<float>(600 - i));  // falling
    for (int i = 0; i < 2000; ++i) stream.push_back(noise(random));
    for (std::size_t length : {std::size_t{1}, std::size_t{2}, std::size_t{48}, std::size_t{255}, std::size_t{256}}) {
        SlidingMinimum<256> minimum;
        minimum.setLength(length);
        for (std::size_t i = 0; i < stream.size(); ++i) {
            const std::size_t first = i + 1 >= length ? i + 1 - length : 0;
            const float expected = *std::min_element(stream.begin() + static_cast<std::ptrdiff_t>(first),
                                                     stream.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            ASSERT_EQ(minimum.push(stream[i]), expected) << "length " << length << ", value " << i;
        }
    }
}

}  // namespace
}  // namespace knockbox
