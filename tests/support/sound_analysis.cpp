#include "support/sound_analysis.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace knockbox::test {
namespace {
constexpr std::size_t window = 256;  // frames per energy window

// Part of a run of at least two exact zeros.
bool silentAt(const std::vector<float>& channel, std::size_t i) {
    return channel[i] == 0.0f && ((i > 0 && channel[i - 1] == 0.0f) || (i + 1 < channel.size() && channel[i + 1] == 0.0f));
}

}  // namespace

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
    for (std::size_t i = from; i < channel.size() && count < length; ++i) {
        if (silentAt(channel, i)) continue;
        sum += static_cast<double>(channel[i]) * channel[i];
        ++count;
    }
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

std::vector<Onset> findOnsets(const std::vector<float>& channel) {
    // The mean energy of the frames heard in each window; none for a silent
    // one.
    std::vector<std::optional<double>> energy;
    for (std::size_t start = 0; start + window <= channel.size(); start += window) {
        double sum = 0;
        std::size_t heard = 0;
        for (std::size_t i = start; i < start + window; ++i) {
            if (silentAt(channel, i)) continue;
            sum += static_cast<double>(channel[i]) * channel[i];
            ++heard;
        }
        energy.push_back(heard > 0 ? std::optional(sum / static_cast<double>(heard)) : std::nullopt);
    }
    std::vector<Onset> onsets;
    std::size_t last = 0;
    for (std::size_t w = 1; w < energy.size(); ++w) {
        if (!energy[w]) continue;
        // The level before: the loudest of the eight heard windows before the
        // one just ahead, which may already hold the first part of the attack.
        double before = 0;
        for (std::size_t k = w - 1, seen = 0; k > 0 && seen < 8; --k) {
            if (energy[k - 1]) before = std::max(before, *energy[k - 1]), ++seen;
        }
        if (*energy[w] < 1e-4 || *energy[w] < 8 * before + 1e-7) continue;
        if (!onsets.empty() && (w - last) * window < recordingRate / 10) continue;
        const bool startedAhead = energy[w - 1] && *energy[w - 1] > 2 * before + 1e-7;
        const std::size_t frame = (startedAhead ? w - 1 : w) * window;
        onsets.push_back({frame, peakIn(channel, frame, recordingRate * 6 / 100)});
        last = w;
    }
    return onsets;
}

}  // namespace knockbox::test
