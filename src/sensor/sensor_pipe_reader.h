#pragma once
// The player's end of the sensor pipe: whatever each read delivers is cut
// into lines on the main loop, and every sample line goes to the sink in
// arrival order. No reader thread: the loop's poll wakes us as soon as the
// sensor process has written, or the owner reads at its own pace.

#include <functional>
#include <optional>
#include <vector>

#include "core/accel_sample.h"
#include "platform/run_loop.h"
#include "sensor/sample_line.h"

namespace knockbox {

class SensorPipeReader {
public:
    using Sink = std::function<void(const AccelSample&)>;

    // fd must be non-blocking; it stays the caller's to close.
    SensorPipeReader(int fd, Sink sink, RunLoop& loop = mainRunLoop());
    ~SensorPipeReader() { remove(); }
    SensorPipeReader(const SensorPipeReader&) = delete;
    SensorPipeReader& operator=(const SensorPipeReader&) = delete;

    // The pipe reached its end (the writer is gone) or can no longer be read.
    bool ended() const { return ended_; }
    // Stops reading the pipe for good.
    void remove();

    // Prompt (the start): the loop wakes for every write, so each sample is
    // handled the moment it arrives. Otherwise the pipe is left to fill and
    // the owner calls readAvailable at its own pace: while nothing depends on
    // a sample's timing, that saves a wake-up per sample.
    void setPrompt(bool prompt);
    // Hands on every complete line that has arrived.
    void readAvailable();

private:
    int fd_;
    Sink sink_;
    RunLoop& loop_;
    std::optional<RunLoop::Token> token_;
    SampleLineBuffer lines_;
    std::vector<AccelSample> samples_;
    bool ended_ = false;
    bool removed_ = false;
};

}  // namespace knockbox
