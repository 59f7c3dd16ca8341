#include "sensor/sample_line.h"

#include "core/sample_text.h"

namespace knockbox {

std::string formatSampleLine(const AccelSample& sample) {
    return formatSampleFields(sample, ' ', MissingGyro::omitted) + '\n';
}

std::optional<AccelSample> parseSampleLine(std::string_view line) {
    return parseSampleFields(line, ' ', MissingGyro::omitted);
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
