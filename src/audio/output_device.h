#pragma once
// Where the mixed sound goes: the system's audio output, or an offline
// renderer that tests drive block by block. Both pull audio from a
// RenderSource on their own schedule.

#include <cstddef>

namespace knockbox {

// Fills blocks of interleaved 32-bit float frames. Called on the device's
// real-time thread (or by whoever drives an offline device): an implementation
// never allocates, locks, logs or waits.
class RenderSource {
public:
    virtual ~RenderSource() = default;
    virtual void render(float* interleaved, std::size_t frames, int channels) noexcept = 0;
};

struct OutputFormat {
    double sampleRate = 0;        // Hz; 0 when the device has none
    int channels = 0;             // interleaved output channels
    std::size_t bufferFrames = 0; // frames per render call
};

class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // The format the device was opened with.
    virtual OutputFormat format() const = 0;
    // Starts pulling from the source (which must outlive the device or the
    // next stop). Throws AudioError (outputUnavailable) when it cannot.
    virtual void start(RenderSource& source) = 0;
    // Stops pulling; after it returns the source is no longer called.
    virtual void stop() noexcept = 0;
    virtual bool isRunning() const = 0;
};

}  // namespace knockbox
