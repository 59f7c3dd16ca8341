#include "core/sample_text.h"

#include <array>

#include "core/number_text.h"

namespace knockbox {

std::string formatSampleFields(const AccelSample& sample, char separator, MissingGyro missingGyro) {
    std::string text = fixed(sample.t, 9);
    for (double axis : {sample.x, sample.y, sample.z}) (text += separator) += fixed(axis, 7);
    if (sample.gyro) {
        for (double axis : {sample.gyro->x, sample.gyro->y, sample.gyro->z}) (text += separator) += fixed(axis, 7);
    } else if (missingGyro == MissingGyro::emptyFields) {
        text.append(3, separator);
    }
    return text;
}

std::optional<AccelSample> parseSampleFields(std::string_view text, char separator, MissingGyro missingGyro) {
    std::array<std::string_view, 7> fields;
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        if (count == fields.size()) return std::nullopt;
        const std::size_t end = text.find(separator, start);
        fields[count++] = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (count == 7 && missingGyro == MissingGyro::emptyFields && fields[4].empty() && fields[5].empty() &&
        fields[6].empty())
        count = 4;
    else if (count != 4 && count != 7)
        return std::nullopt;

    std::array<double, 7> numbers{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::optional<double> number = parseNumber(fields[i]);
        if (!number) return std::nullopt;
        numbers[i] = *number;
    }
    AccelSample sample{numbers[0], numbers[1], numbers[2], numbers[3], std::nullopt};
    if (count == 7) sample.gyro = GyroSample{numbers[0], numbers[4], numbers[5], numbers[6]};
    return sample;
}

}  // namespace knockbox
