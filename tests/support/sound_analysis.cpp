#include "support/sound_analysis.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace knockbox::test {
namespace {
constexpr std::size_t window = 256;        // frames per energy window
constexpr std::size_t shapeLength = 2400;  // the 50 ms whose shape is compared
constexpr std::size_t onsetSlack = 512;    // how far a sound may start from its onset window
constexpr std::size_t shortestPiece = 64;  // a shorter piece between silences is too short to place
constexpr std::size_t landingSlack = 8;    // frames a piece may land off its expected place

// Part of a run of at least two exact zeros.
bool silentAt(const std::vector<float>& channel, std::size_t i) {
    return channel[i] == 0.0f && ((i > 0 && channel[i - 1] == 0.0f) || (i + 1 < channel.size() && channel[i + 1] == 0.0f));
}

// The frames heard from `from` on, silent ones left out, up to `count` of them.
struct Heard {
    std::vector<float> value;
    std::vector<std::size_t> frame;          // where each value was recorded
    std::vector<std::size_t> silenceBefore;  // silent frames just before it (0 within a piece)

    std::size_t pieceEnd(std::size_t at) const {
        std::size_t end = at + 1;
        while (end < value.size() && silenceBefore[end] == 0) ++end;
        return end;
    }
};

Heard heardFrom(const std::vector<float>& channel, std::size_t from, std::size_t count) {
    Heard heard;
    std::size_t silence = 0;
    for (std::size_t i = from; i < channel.size() && heard.value.size() < count; ++i) {
        if (silentAt(channel, i)) {
            ++silence;
            continue;
        }
        heard.value.push_back(channel[i]);
        heard.frame.push_back(i);
        heard.silenceBefore.push_back(silence);
        silence = 0;
    }
    return heard;
}

struct Correlation {
    double product = 0, recorded = 0, expected = 0;
    void add(const Correlation& other) {
        product += other.product, recorded += other.recorded, expected += other.expected;
    }
    double value() const { return recorded > 0 && expected > 0 ? product / std::sqrt(recorded * expected) : 0; }
};

// `length` heard values from `at` against the sample from `offset`.
Correlation correlate(const Heard& heard, std::size_t at, const std::vector<float>& sample, std::size_t offset,
                      std::size_t length) {
    Correlation c;
    for (std::size_t i = 0; i < length; ++i) {
        const double a = heard.value[at + i], b = sample[offset + i];
        c.product += a * b, c.recorded += a * a, c.expected += b * b;
    }
    return c;
}

// The sound heard from `start` on taken as the sample's beginning, compared
// piece by piece. After a silence the sound goes on where it stopped, or up to
// as many frames further as the silence lasted (the server skips some of what
// it missed); each piece is placed where it fits best within that range.
double matchFrom(const Heard& heard, std::size_t start, const std::vector<float>& sample, std::size_t length) {
    Correlation total;
    std::size_t compared = 0;
    // The first piece may also have lost a few frames to the silence before it.
    std::size_t earliest = 0, latest = landingSlack;
    for (std::size_t at = start; at < heard.value.size() && earliest < length;) {
        const std::size_t end = heard.pieceEnd(at), size = end - at;
        if (at != start) latest += heard.silenceBefore[at];
        if (size < shortestPiece) {
            if (at == start) return 0;
            earliest += size, latest += size;  // too short to place; the next one is placed for both
            at = end;
            continue;
        }
        const std::size_t first = at == start || earliest < landingSlack ? 0 : earliest - landingSlack;
        const std::size_t last = latest + (at == start ? 0 : landingSlack);
        std::optional<std::size_t> placed;
        Correlation best;
        for (std::size_t offset = first; offset <= last && offset + shortestPiece <= length; ++offset) {
            const Correlation c = correlate(heard, at, sample, offset, std::min(size, length - offset));
            if (!placed || c.value() > best.value()) placed = offset, best = c;
        }
        if (!placed) break;
        total.add(best);
        compared += std::min(size, length - *placed);
        earliest = latest = *placed + size;
        at = end;
    }
    return compared >= length / 2 ? total.value() : 0;
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

double shapeMatch(const std::vector<float>& channel, std::size_t onset, const std::vector<float>& sample) {
    const std::size_t length = std::min(shapeLength, sample.size());
    if (length < shortestPiece) return 0;
    const Heard heard = heardFrom(channel, onset > 2 * onsetSlack ? onset - 2 * onsetSlack : 0,
                                  4 * onsetSlack + length);
    const auto at = static_cast<std::size_t>(
        std::lower_bound(heard.frame.begin(), heard.frame.end(), onset) - heard.frame.begin());
    const std::size_t low = at > onsetSlack ? at - onsetSlack : 0;
    const std::size_t high = std::min(at + onsetSlack, heard.value.size());

    // Where the sound may start: where a piece begins after a silence, and
    // the few places where the sample's start fits its piece best.
    std::vector<std::size_t> starts;
    std::vector<double> fit(high > low ? high - low : 0, -2.0);
    for (std::size_t start = low; start < high; ++start) {
        if (heard.silenceBefore[start] > 0) starts.push_back(start);
        const std::size_t size = std::min(heard.pieceEnd(start) - start, length);
        if (size >= shortestPiece) fit[start - low] = correlate(heard, start, sample, 0, size).value();
    }
    std::vector<std::size_t> peaks;
    for (std::size_t i = 0; i < fit.size(); ++i) {
        const bool peak = fit[i] > -2.0 && (i == 0 || fit[i] >= fit[i - 1]) && (i + 1 == fit.size() || fit[i] >= fit[i + 1]);
        if (peak) peaks.push_back(i);
    }
    std::sort(peaks.begin(), peaks.end(), [&](std::size_t a, std::size_t b) { return fit[a] > fit[b]; });
    for (std::size_t i = 0; i < std::min<std::size_t>(peaks.size(), 4); ++i) starts.push_back(low + peaks[i]);

    double best = 0;
    for (std::size_t start : starts) best = std::max(best, matchFrom(heard, start, sample, length));
    return best;
}

}  // namespace knockbox::test
