#include "sensor/motion_playback.h"

#include <utility>

#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

constexpr double reportInterval = 1.0 / 800;
constexpr std::size_t maxCatchUp = 100;  // samples per timer turn before skipping ahead

}  // namespace

MotionPlayback::MotionPlayback(std::vector<AccelSample> motion) : motion_(std::move(motion)) {
    if (motion_.empty()) return;
    const double span = motion_.back().t - motion_.front().t;
    period_ = span + (motion_.size() > 1 ? span / static_cast<double>(motion_.size() - 1) : reportInterval);
}

MotionPlayback::~MotionPlayback() { stop(); }

void MotionPlayback::start(RunLoop& loop, Send send) {
    stop();
    loop_ = &loop;
    send_ = std::move(send);
    origin_ = uptime();
    next_ = 0;
    timer_ = loop_->schedule(reportInterval, [this] { tick(); });
}

void MotionPlayback::stop() {
    if (!loop_) return;
    loop_->cancel(timer_);
    loop_ = nullptr;
}

double MotionPlayback::dueTime(std::size_t index) const {
    const std::size_t pass = index / motion_.size();
    return origin_ + static_cast<double>(pass) * period_ + (motion_[index % motion_.size()].t - motion_.front().t);
}

void MotionPlayback::tick() {
    if (motion_.empty()) return;
    const double now = uptime();
    for (std::size_t sent = 0; dueTime(next_) <= now; ++next_) {
        // Samples a loop held up for longer than the catch-up would have sent are lost.
        if (++sent > maxCatchUp) continue;
        send_(motion_[next_ % motion_.size()], dueTime(next_));
        if (!loop_) break;  // the send stopped the playback
    }
}

}  // namespace knockbox
