// Any bytes given as a recording: either a documented error (a bad line, text
// that is not UTF-8), or samples that are all finite, in strictly increasing
// time, and that read back from their own lines.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "core/app_error.h"
#include "recording/csv_recording.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace knockbox;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Recording samples;
    try {
        samples = parseRecording(text);
    } catch (const AppError&) {
        return 0;
    } catch (const std::system_error& error) {
        if (error.code() != std::errc::illegal_byte_sequence) std::abort();  // the only file error of text
        return 0;
    }
    if (samples.empty()) std::abort();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const AccelSample& sample = samples[i];
        if (!std::isfinite(sample.t) || !std::isfinite(sample.x) || !std::isfinite(sample.y) ||
            !std::isfinite(sample.z))
            std::abort();
        if (i > 0 && !(sample.t > samples[i - 1].t)) std::abort();
        if (sample.gyro && sample.gyro->t != sample.t) std::abort();
        // Written back, a sample reads back as one sample of the same shape.
        const auto again = parseRecording(csvLine(sample));
        if (again.size() != 1 || again[0].gyro.has_value() != sample.gyro.has_value()) std::abort();
    }
    return 0;
}
