#pragma once
// The minimum of the last `length` values of a stream, in constant amortised
// time per value: a monotonic queue in a fixed ring, so it never allocates.

#include <array>
#include <cstddef>
#include <cstdint>

namespace knockbox {

template <std::size_t Capacity>
class SlidingMinimum {
    static_assert(Capacity >= 1 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    static constexpr std::size_t capacity() { return Capacity; }

    // 1 to Capacity values; clears the window.
    void setLength(std::size_t length) noexcept {
        length_ = length < 1 ? 1 : length > Capacity ? Capacity : length;
        reset();
    }
    void reset() noexcept { head_ = tail_ = count_ = 0; }

    // Adds the next value; the minimum of it and the length - 1 values before.
    float push(float value) noexcept {
        // The value that leaves the window goes first, so the queue never
        // holds more than `length` entries, even when every value is kept.
        if (head_ != tail_ && frames_[head_ & mask] + length_ <= count_) ++head_;
        // Older entries that are not smaller can never be the minimum again.
        while (tail_ != head_ && values_[(tail_ - 1) & mask] >= value) --tail_;
        frames_[tail_ & mask] = count_;
        values_[tail_ & mask] = value;
        ++tail_;
        ++count_;
        return values_[head_ & mask];
    }

private:
    static constexpr std::size_t mask = Capacity - 1;
    std::array<std::uint64_t, Capacity> frames_{};  // the position of each entry in the stream
    std::array<float, Capacity> values_{};
    std::size_t head_ = 0, tail_ = 0;  // grow only; the ring index is their low bits
    std::uint64_t count_ = 0;          // values pushed since the reset
    std::size_t length_ = 1;
};

}  // namespace knockbox
