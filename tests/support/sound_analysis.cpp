#include "support/sound_analysis.h"

#include <algorithm>
#include <cmath>

namespace knockbox::test {
namespace {
constexpr std::size_t window = 256;
}

std::vector<float> channelOf(const std::vector<float>& stereo, std::size_t channel) {
    std::vector<float> result;
    result.reserve(stereo.size() / 2);
    for (std::size_t i = channel; i < stereo.size(); i += 2) result.push_back(stereo[i]);
    return result;
}

float peakIn(const std::vector<float>& channel, std::size_t from, std::size_t length) {
    float peak = 0;
    for (std::size_t i = from; i < std::min(channel.size(), from + length); ++i)
        peak = std::max(peak, std::fabs(channel[i]));
    return peak;
}

double rmsIn(const std::vector<float>& channel, std::size_t from, std::size_t length) {
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = from; i < std::min(channel.size(), from + length); ++i, ++count)
        sum += static_cast<double>(channel[i]) * channel[i];
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

std::vector<Onset> findOnsets(const std::vector<float>& channel) {
    std::vector<double> energy;
    for (std::size_t start = 0; start + window <= channel.size(); start += window) {
        double sum = 0;
        for (std::size_t i = start; i < start + window; ++i) sum += static_cast<double>(channel[i]) * channel[i];
        energy.push_back(sum / window);
    }
    std::vector<Onset> onsets;
    std::size_t last = 0;
    for (std::size_t w = 0; w < energy.size(); ++w) {
        double before = 0;
        for (std::size_t k = w >= 8 ? w - 8 : 0; k < w; ++k) before = std::max(before, energy[k]);
        if (energy[w] < 1e-4 || energy[w] < 8 * before + 1e-7) continue;
        if (!onsets.empty() && (w - last) * window < recordingRate / 10) continue;
        const std::size_t frame = w * window;
        onsets.push_back({frame, peakIn(channel, frame, recordingRate * 6 / 100)});
        last = w;
    }
    return onsets;
}

}  // namespace knockbox::test
