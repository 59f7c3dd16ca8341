#include "audio/spsc_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace knockbox {
namespace {

struct Message {
    std::uint64_t sequence;
    float payload;
};
using Queue = SpscQueue<Message, 8>;
static_assert(noexcept(std::declval<Queue&>().tryPush(Message{})));
static_assert(noexcept(std::declval<Queue&>().tryPop(std::declval<Message&>())));

// Many times round a small ring, so that an item lost to a full queue, read
// from an empty one or out of order shows. (A full queue refusing a start:
// VoiceMixer.StartCutsTheVoiceAndVoicesAddUp.)
TEST(SpscQueue, TwoThreadsPassEveryItemOnceInOrder) {
    constexpr std::uint64_t count = 100000;
    SpscQueue<Message, 64> queue;
    std::uint64_t received = 0, sum = 0;
    bool inOrder = true;
    std::thread consumer([&] {
        Message item{};
        while (received < count) {
            if (!queue.tryPop(item)) {
                std::this_thread::yield();
                continue;
            }
            inOrder = inOrder && item.sequence == received && item.payload == static_cast<float>(item.sequence % 7);
            sum += item.sequence;
            ++received;
        }
    });
    for (std::uint64_t i = 0; i < count; ++i) {
        while (!queue.tryPush({i, static_cast<float>(i % 7)})) std::this_thread::yield();
    }
    consumer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(sum, count * (count - 1) / 2);
}

}  // namespace
}  // namespace knockbox
