#include "audio/voice_mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "allocation_counter.h"
#include "audio/offline_output_device.h"

namespace knockbox {
namespace {

constexpr float centre = 0.70710678f;  // equal-power gain of each side at pan 0

std::vector<float> constant(float value, std::size_t frames) { return std::vector<float>(frames, value); }

// Renders `frames` and returns the interleaved output.
std::vector<float> render(VoiceMixer& mixer, std::size_t frames, int channels = 2) {
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    mixer.render(out.data(), frames, channels);
    return out;
}

TEST(VoiceMixer, EqualPowerPanAcrossTheField) {
    const std::vector<float> ones = constant(1.0f, 2000);
    const struct {
        float pan, left, right;
    } cases[] = {{-1, 0.5f, 0}, {0, 0.5f * centre, 0.5f * centre}, {1, 0, 0.5f}, {-3, 0.5f, 0}, {0.5f, 0.19134f, 0.46194f}};
    for (const auto& c : cases) {
        VoiceMixer mixer(48000, {1, 0});
        ASSERT_TRUE(mixer.start({ones.data(), 2000, 3, 0.5f, c.pan}));
        const std::vector<float> out = render(mixer, 512);
        // Past the limiter's look-ahead the level is steady.
        EXPECT_NEAR(out[2 * 300], c.left, 1e-4) << c.pan;
        EXPECT_NEAR(out[2 * 300 + 1], c.right, 1e-4) << c.pan;
    }
}

TEST(VoiceMixer, StartCutsTheVoiceAndVoicesAddUp) {
    const std::vector<float> low = constant(0.2f, 48000), high = constant(0.4f, 48000);
    VoiceMixer mixer(48000, {1, 0});
    ASSERT_TRUE(mixer.start({low.data(), 48000, 0, 1, -1}));
    ASSERT_TRUE(mixer.start({low.data(), 48000, 1, 1, -1}));
    EXPECT_NEAR(render(mixer, 512)[2 * 400], 0.4f, 1e-5);
    EXPECT_EQ(mixer.activeVoices(), 2u);
    // A new start on voice 0 replaces what it played; voice 1 goes on.
    ASSERT_TRUE(mixer.start({high.data(), 48000, 0, 1, -1}));
    EXPECT_NEAR(render(mixer, 512)[2 * 400], 0.6f, 1e-5);
    EXPECT_EQ(mixer.activeVoices(), 2u);
    EXPECT_EQ(mixer.startsTaken(), 3u);
    // Starts the render thread has not taken fill the queue; the rest are counted as dropped.
    std::size_t queued = 0;
    while (mixer.start({high.data(), 48000, 2, 1, 0})) ++queued;
    EXPECT_FALSE(mixer.start({high.data(), 48000, 2, 1, 0}));
    EXPECT_EQ(mixer.droppedStarts(), 2u);
    EXPECT_GT(queued, 0u);
    // Each voice falls silent at the end of its buffer.
    render(mixer, 48000);
    EXPECT_EQ(mixer.activeVoices(), 0u);
    EXPECT_EQ(render(mixer, 256)[2 * 200], 0.0f);
}

TEST(VoiceMixer, MasterGainRampsOverOneBlock) {
    const std::vector<float> ones = constant(0.8f, 48000);
    VoiceMixer mixer(48000, {1, 0});
    ASSERT_TRUE(mixer.start({ones.data(), 48000, 0, 1, -1}));
    render(mixer, 256);
    ASSERT_TRUE(mixer.change({0.5f, 0}));
    const std::vector<float> out = render(mixer, 1024);
    // The step is spread over a block, then the level holds at half.
    for (std::size_t i = 1; i < 1024; ++i) ASSERT_LE(out[2 * i], out[2 * (i - 1)] + 1e-6f) << i;
    for (std::size_t i = 1; i < 1024; ++i) ASSERT_LT(out[2 * (i - 1)] - out[2 * i], 0.01f) << i;
    EXPECT_NEAR(out[2 * 1000], 0.4f, 1e-5);
}

TEST(VoiceMixer, ResamplesToTheDeviceRate) {
    // A ramp of 0.1 s at 48 kHz played at 44.1 kHz lasts 4410 frames and
    // keeps its shape.
    std::vector<float> ramp(4800);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i) / 4800.0f;
    VoiceMixer mixer(44100, {1, 0});
    ASSERT_TRUE(mixer.start({ramp.data(), 4800, 2, 1, -1}));
    const std::vector<float> out = render(mixer, 6000);
    const std::size_t delay = 43;  // 1 ms look-ahead at 44.1 kHz (44 frames), less one frame
    std::size_t last = 0;
    for (std::size_t i = 0; i < 6000; ++i) {
        if (out[2 * i] != 0.0f) last = i;
    }
    EXPECT_NEAR(static_cast<double>(last - delay), 4409.0, 2.0);
    for (std::size_t j : {100u, 2000u, 4000u}) {
        EXPECT_NEAR(out[2 * (j + delay)], static_cast<double>(j) * 48000.0 / 44100.0 / 4800.0, 1e-5) << j;
    }
}

TEST(VoiceMixer, BlockSizeAndChannelCountDoNotChangeTheSound) {
    const std::vector<float> ones = constant(0.6f, 20000);
    VoiceMixer whole(48000, {1, 0}), pieces(48000, {1, 0}), mono(48000, {1, 0});
    for (VoiceMixer* mixer : {&whole, &pieces, &mono}) ASSERT_TRUE(mixer->start({ones.data(), 20000, 4, 1, 0.3f}));
    const std::vector<float> reference = render(whole, 1000);
    std::vector<float> assembled;
    for (std::size_t frames : {1u, 255u, 300u, 444u}) {
        const std::vector<float> piece = render(pieces, frames);
        assembled.insert(assembled.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(assembled, reference);
    const std::vector<float> single = render(mono, 1000, 1);
    EXPECT_NEAR(single[900], 0.5f * (reference[1800] + reference[1801]), 1e-6);
}

TEST(VoiceMixer, RenderingNeverAllocates) {
    std::vector<std::vector<float>> buffers;
    for (int i = 0; i < 16; ++i) buffers.push_back(constant(0.9f, 48000));
    OfflineOutputDevice device;
    VoiceMixer mixer(48000, {1, 3.5f});
    device.start(mixer);
    std::vector<float> out(2 * 48000);
    test::AllocationCounter counter;
    for (std::uint32_t voice = 0; voice < 16; ++voice) {
        ASSERT_TRUE(mixer.start({buffers[voice].data(), 48000, voice, 1, 0}));
    }
    ASSERT_TRUE(mixer.change({0.7f, 1.0f}));
    device.renderInto(out.data(), 48000);
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_EQ(mixer.startsTaken(), 16u);
}

}  // namespace
}  // namespace knockbox
