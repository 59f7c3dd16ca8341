#pragma once
// The detector's recent frames, oldest first: appended at the back, dropped
// from the front. A ring over one buffer, so steady streaming never allocates;
// the buffer only doubles if more frames than ever before must be kept.

#include <cstddef>
#include <vector>

#include "detection/detector_frame.h"

namespace knockbox {

class FrameHistory {
public:
    explicit FrameHistory(std::size_t capacity = 256) : frames_(roundUp(capacity)) {}

    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    // 0 is the oldest frame.
    const DetectorFrame& operator[](std::size_t index) const noexcept {
        return frames_[(first_ + index) & (frames_.size() - 1)];
    }
    const DetectorFrame& front() const noexcept { return (*this)[0]; }
    const DetectorFrame& back() const noexcept { return (*this)[count_ - 1]; }

    void push_back(const DetectorFrame& frame) {
        if (count_ == frames_.size()) grow();
        frames_[(first_ + count_) & (frames_.size() - 1)] = frame;
        ++count_;
    }
    void pop_front() noexcept {
        first_ = (first_ + 1) & (frames_.size() - 1);
        --count_;
    }
    void clear() noexcept {
        first_ = 0;
        count_ = 0;
    }

private:
    static std::size_t roundUp(std::size_t capacity) {
        std::size_t size = 1;
        while (size < capacity) size *= 2;
        return size;
    }
    void grow() {
        std::vector<DetectorFrame> larger(frames_.size() * 2);
        for (std::size_t i = 0; i < count_; ++i) larger[i] = (*this)[i];
        frames_ = std::move(larger);
        first_ = 0;
    }

    std::vector<DetectorFrame> frames_;  // size is a power of two
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

}  // namespace knockbox
