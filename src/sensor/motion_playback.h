#pragma once
// A recording played as motion in real time, looping, on a run loop: the
// simulated sensor's clock. Each sample falls due at its place in the
// recording from the moment playback starts; one pass follows the other at
// the recording's own pace.

#include <cstddef>
#include <functional>
#include <vector>

#include "core/accel_sample.h"
#include "platform/run_loop.h"

namespace knockbox {

class MotionPlayback {
public:
    // A sample due at `due` (seconds of uptime).
    using Send = std::function<void(const AccelSample& sample, double due)>;

    explicit MotionPlayback(std::vector<AccelSample> motion);
    ~MotionPlayback();
    MotionPlayback(const MotionPlayback&) = delete;
    MotionPlayback& operator=(const MotionPlayback&) = delete;

    // From now on, every 1.25 ms the samples that have fallen due are sent;
    // a loop held up for longer than the catch-up skips the rest. `send` may
    // stop the playback.
    void start(RunLoop& loop, Send send);
    void stop();
    bool running() const { return loop_ != nullptr; }
    // Seconds of uptime at which the playback started.
    double origin() const { return origin_; }

private:
    void tick();
    double dueTime(std::size_t index) const;

    std::vector<AccelSample> motion_;
    double period_ = 0;        // one pass through the motion
    RunLoop* loop_ = nullptr;  // where the timer runs
    RunLoop::Token timer_{};
    Send send_;
    double origin_ = 0;
    std::size_t next_ = 0;  // next sample to send, counted across passes
};

}  // namespace knockbox
