#include "detection/side_signature.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace knockbox {
namespace {

constexpr double earlyWindow = 0.018;  // s from the side start
constexpr double weightDecay = 0.005;  // s: the first milliseconds dominate

double norm(const Axes& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

Axes deviation(const DetectorFrame& frame, const Baseline& baseline) {
    return {frame.axes[0] - baseline[0], frame.axes[1] - baseline[1], frame.axes[2] - baseline[2]};
}

struct Lobe {
    double mean;
    double peak;
};

// The first run of same-signed X deviations above `threshold`: it starts at
// two consecutive values beyond the threshold and ends when the swing the
// other way passes the threshold; small opposite values in between are skipped.
std::optional<Lobe> firstLobe(std::span<const double> xs, double threshold) {
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        if (std::abs(xs[i]) < threshold || std::abs(xs[i + 1]) < threshold || xs[i] * xs[i + 1] <= 0)
            continue;
        const double sign = xs[i] > 0 ? 1.0 : -1.0;
        double sum = 0, peak = 0;
        int count = 0;
        for (std::size_t j = i; j < xs.size(); ++j) {
            const double value = xs[j] * sign;
            if (value < -threshold) break;
            if (value <= 0) continue;
            sum += xs[j];
            ++count;
            if (std::abs(xs[j]) > std::abs(peak)) peak = xs[j];  // the earliest wins ties
        }
        return Lobe{sum / count, peak};
    }
    return std::nullopt;
}

}  // namespace

SideSignature sideSignature(std::span<const DetectorFrame> attack, const Baseline& baseline,
                            double sideStart, double noise, double peak) {
    double attackPeak = attack.empty() ? peak : 0.0;
    for (const DetectorFrame& frame : attack)
        attackPeak = std::max(attackPeak, norm(deviation(frame, baseline)));

    double totalWeight = 0, weightedX = 0, weightedY = 0;
    double gyroWeight = 0;
    Axes weightedGyro{};
    double gyroYExtreme = 0;
    std::vector<double> xs;
    xs.reserve(attack.size());
    for (const DetectorFrame& frame : attack) {
        const double age = frame.t - sideStart;
        if (age > earlyWindow) continue;
        const double weight = std::exp(-age / weightDecay);
        const double dx = frame.axes[0] - baseline[0];
        totalWeight += weight;
        weightedX += weight * dx;
        weightedY += weight * (frame.axes[1] - baseline[1]);
        xs.push_back(dx);
        if (!frame.raw.gyro) continue;
        const GyroSample& gyro = *frame.raw.gyro;
        const Axes rate{gyro.x - baseline[3], gyro.y - baseline[4], gyro.z - baseline[5]};
        gyroWeight += weight;
        for (int axis = 0; axis < 3; ++axis) weightedGyro[axis] += weight * rate[axis];
        if (std::abs(rate[1]) > std::abs(gyroYExtreme)) gyroYExtreme = rate[1];
    }
    const double sx = weightedX / std::max(totalWeight, 1e-9);
    const double sy = weightedY / std::max(totalWeight, 1e-9);
    Axes gyroMean{};
    for (int axis = 0; axis < 3; ++axis) gyroMean[axis] = weightedGyro[axis] / std::max(gyroWeight, 1e-9);

    const std::optional<Lobe> lobe = firstLobe(xs, std::max(0.7 * noise, 0.0024));
    const double lobeMean = lobe ? lobe->mean : sx;
    const double lobePeak = lobe ? lobe->peak : sx;

    // Dividing by the attack norm makes gentle and firm taps of one side alike.
    const double scale = std::max(attackPeak, 0.03);
    SideSignature signature;
    signature.features.values = {sx / scale,          lobeMean / scale,     lobePeak / scale,
                                 gyroMean[1] / scale, gyroYExtreme / scale, gyroMean[2] / scale,
                                 sy / scale,          gyroMean[0] / scale};
    signature.features.gyroAvailable = gyroWeight >= 0.5 * totalWeight;
    signature.lobeMean = lobeMean;
    signature.meanX = sx;
    return signature;
}

std::optional<SideFeatures> attackImpulse(std::span<const DetectorFrame> attack,
                                          const Baseline& baseline) {
    std::vector<double> times;
    std::vector<Axes> axes;
    times.reserve(attack.size());
    axes.reserve(attack.size());
    for (const DetectorFrame& frame : attack) {
        times.push_back(frame.t);
        axes.push_back(deviation(frame, baseline));
    }
    return impulseFeatures(times, axes);
}

std::optional<SideFeatures> impulseFeatures(std::span<const double> times,
                                            std::span<const Axes> axes) {
    if (times.size() < 6 || times.size() != axes.size()) return std::nullopt;
    double maxMagnitude = 0;
    for (const Axes& vector : axes) maxMagnitude = std::max(maxMagnitude, norm(vector));
    if (!(maxMagnitude > 1e-6)) return std::nullopt;

    // The first impulse starts where the magnitude first passes 30 % of its largest value.
    double start = times.front();
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (norm(axes[i]) > 0.3 * maxMagnitude) {
            start = times[i];
            break;
        }
    }
    Axes shortSum{}, longSum{};
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (times[i] < start - 0.003) continue;
        const double age = times[i] - start;
        for (int axis = 0; axis < 3; ++axis) {
            if (age < 0.012) shortSum[axis] += axes[i][axis];
            if (age < 0.03) longSum[axis] += axes[i][axis];
        }
    }
    SideFeatures impulse;
    impulse.values = {shortSum[0], longSum[0], shortSum[0] + longSum[0], shortSum[1],
                      longSum[1],  shortSum[2], longSum[2], shortSum[1] + longSum[1]};
    for (double& value : impulse.values) {
        value /= maxMagnitude;
        if (!std::isfinite(value)) return std::nullopt;
    }
    impulse.gyroAvailable = true;  // nothing in it needs the gyroscope
    return impulse;
}

}  // namespace knockbox
