#pragma once
// An output device without hardware: whoever holds it pulls the audio, block
// by block, on their own thread. Tests render the engine's sound with it.

#include <cstddef>
#include <vector>

#include "audio/output_device.h"

namespace knockbox {

class OfflineOutputDevice final : public OutputDevice {
public:
    explicit OfflineOutputDevice(OutputFormat format = {48000.0, 2, 256});

    OutputFormat format() const override { return format_; }
    void start(RenderSource& source) override;
    void stop() noexcept override { source_ = nullptr; }
    bool isRunning() const override { return source_ != nullptr; }

    // Pulls `frames` frames in blocks of the format's buffer size into `out`
    // (frames × channels floats); silence while the device is not running.
    // Allocates nothing itself.
    void renderInto(float* out, std::size_t frames);
    // The same into a new buffer.
    std::vector<float> render(std::size_t frames);

private:
    OutputFormat format_;
    RenderSource* source_ = nullptr;
};

}  // namespace knockbox
