#include "sensor/sample_line.h"

#include <array>

#include "core/number_text.h"

namespace knockbox {

std::string formatSampleLine(const AccelSample& sample) {
    std::string line = fixed(sample.t, 9);
    for (double value : {sample.x, sample.y, sample.z}) (line += ' ') += fixed(value, 7);
    if (sample.gyro)
        for (double value : {sample.gyro->x, sample.gyro->y, sample.gyro->z}) (line += ' ') += fixed(value, 7);
    line += '\n';
    return line;
}

std::optional<AccelSample> parseSampleLine(std::string_view line) {
    std::array<double, 7> numbers{};
    std::size_t count = 0;
    while (!line.empty()) {
        const auto space = line.find(' ');
        const std::string_view piece = line.substr(0, space);
        line = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        if (piece.empty()) continue;
        const auto number = parseNumber(piece);
        if (!number) continue;
        if (count == numbers.size()) return std::nullopt;  // more than 7
        numbers[count++] = *number;
    }
    if (count != 4 && count != 7) return std::nullopt;
    AccelSample sample{numbers[0], numbers[1], numbers[2], numbers[3], {}};
    if (count == 7) sample.gyro = GyroSample{numbers[0], numbers[4], numbers[5], numbers[6]};
    return sample;
}

void SampleLineBuffer::append(std::string_view bytes, std::vector<AccelSample>& samples) {
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        const std::string_view part = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 1);
        if (!discarding_) {
            if (pending_.size() + part.size() > maxLineLength) {
                discarding_ = true;
                pending_.clear();
            } else {
                pending_.append(part);
            }
        }
        if (end == std::string_view::npos) break;
        if (!discarding_) {
            if (auto sample = parseSampleLine(pending_)) samples.push_back(*sample);
        }
        pending_.clear();
        discarding_ = false;
    }
}

}  // namespace knockbox
