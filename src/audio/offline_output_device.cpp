#include "audio/offline_output_device.h"

#include <algorithm>

#include "audio/audio_error.h"

namespace knockbox {

OfflineOutputDevice::OfflineOutputDevice(OutputFormat format) : format_(format) {}

void OfflineOutputDevice::start(RenderSource& source) {
    if (!(format_.sampleRate > 0) || format_.channels <= 0) throw AudioError::outputUnavailable();
    source_ = &source;
}

void OfflineOutputDevice::renderInto(float* out, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(std::max(format_.channels, 0));
    if (!source_) {
        std::fill_n(out, frames * channels, 0.0f);
        return;
    }
    const std::size_t block = std::max<std::size_t>(format_.bufferFrames, 1);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t count = std::min(block, frames - done);
        source_->render(out + done * channels, count, format_.channels);
        done += count;
    }
}

std::vector<float> OfflineOutputDevice::render(std::size_t frames) {
    std::vector<float> out(frames * static_cast<std::size_t>(std::max(format_.channels, 0)));
    renderInto(out.data(), frames);
    return out;
}

}  // namespace knockbox
