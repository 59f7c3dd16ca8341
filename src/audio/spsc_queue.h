#pragma once
// A wait-free queue between exactly one producer thread and one consumer
// thread, for small trivially copyable messages. Storage is fixed at compile
// time, so neither side ever allocates; a full queue refuses the item instead
// of waiting.

#include <array>
#include <atomic>
#include <cstddef>
#include <new>
#include <type_traits>

namespace knockbox {

template <typename Item, std::size_t Capacity>
class SpscQueue {
    static_assert(std::is_trivially_copyable_v<Item>, "items are copied by value across threads");
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");
    static_assert(std::atomic<std::size_t>::is_always_lock_free, "the audio thread must never lock");

public:
    SpscQueue() = default;
    SpscQueue(const SpscQueue&) = delete;
    SpscQueue& operator=(const SpscQueue&) = delete;

    static constexpr std::size_t capacity() { return Capacity; }

    // Producer thread only. False when the queue is full (the item is not kept).
    [[nodiscard]] bool tryPush(const Item& item) noexcept {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - headCache_ == Capacity) {
            headCache_ = head_.load(std::memory_order_acquire);
            if (tail - headCache_ == Capacity) return false;
        }
        slots_[tail & (Capacity - 1)] = item;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Consumer thread only. False when the queue is empty.
    [[nodiscard]] bool tryPop(Item& item) noexcept {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head == tailCache_) {
            tailCache_ = tail_.load(std::memory_order_acquire);
            if (head == tailCache_) return false;
        }
        item = slots_[head & (Capacity - 1)];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    // The indices only grow (wrap-around of size_t is harmless with a
    // power-of-two capacity). Each sits on its own cache line with the copy of
    // the other side's index that its owner keeps, so the two threads do not
    // bounce one line between their cores on every item.
    static constexpr std::size_t line = 64;
    alignas(line) std::atomic<std::size_t> tail_{0};  // written by the producer
    std::size_t headCache_ = 0;                       // producer's copy of head_
    alignas(line) std::atomic<std::size_t> head_{0};  // written by the consumer
    std::size_t tailCache_ = 0;                       // consumer's copy of tail_
    alignas(line) std::array<Item, Capacity> slots_{};
};

}  // namespace knockbox
