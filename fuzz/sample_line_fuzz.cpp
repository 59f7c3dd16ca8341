// Any bytes arriving on the sensor pipe, cut into reads at a point the input
// chooses: every sample that comes out is finite, carries its own t on its
// gyroscope, and reads back the same from its own formatted line.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "sensor/sample_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace knockbox;
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = std::min<std::size_t>(data[0], bytes.size());
    SampleLineBuffer buffer;
    std::vector<AccelSample> samples;
    buffer.append(bytes.substr(0, cut), samples);
    buffer.append(bytes.substr(cut), samples);
    for (const AccelSample& sample : samples) {
        if (!std::isfinite(sample.t) || !std::isfinite(sample.x) || !std::isfinite(sample.y) ||
            !std::isfinite(sample.z))
            std::abort();
        if (sample.gyro && sample.gyro->t != sample.t) std::abort();
        std::string line = formatSampleLine(sample);
        line.pop_back();  // the line feed
        const auto again = parseSampleLine(line);
        if (!again || again->gyro.has_value() != sample.gyro.has_value()) std::abort();
    }
    return 0;
}
