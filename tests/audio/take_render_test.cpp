// A take's sound is the engine's own: the same frames as an offline render of
// the same drums, each played when that render reaches its frame. (The WAV
// file: tests/e2e/midi_test.cpp.)
#include "audio/take_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "audio/drum_audio.h"
#include "audio/offline_output_device.h"

namespace knockbox {
namespace {

TEST(TakeRender, IsTheEnginesSoundWithEachDrumStartedAtItsFrame) {
    // At the highest volume two loud drums overlap (the limiter works), on
    // both sides, from three kits, handed over out of order.
    const SoundSelection sounds{DrumKit::studio, DrumKit::electronic, DrumKit::lofi, DrumKit::studio};
    const float volume = 1.5f;
    const std::vector<SoundedDrum> drums{{0.25, Drum::snare, 1.0f, 0.45f}, {0.1, Drum::kick, 1.0f, -0.45f},
                                         {0.2500104, Drum::tom, 0.9f, -0.45f}, {0.6, Drum::hihat, 0.2f, 0.45f}};
    std::vector<float> take;
    renderTake([&](const float* frames, std::size_t count) { take.insert(take.end(), frames, frames + 2 * count); },
               drums, volume, sounds, 1.0);
    const std::size_t frames = take.size() / 2;
    ASSERT_GE(frames, 48000u);

    // The engine driven by hand: 4800, 12000 and 12000 (0.2500104 s is frame
    // 12000.5 rounded), 28800.
    auto device = std::make_unique<OfflineOutputDevice>(OutputFormat{48000, 2, 256});
    OfflineOutputDevice& offline = *device;
    double now = 0;
    DrumAudio engine(volume, sounds, {std::move(device), [&now] { return now; }, nullptr});
    std::vector<float> expected;
    const auto renderTo = [&](std::size_t frame) {
        const std::vector<float> block = offline.render(frame - expected.size() / 2);
        expected.insert(expected.end(), block.begin(), block.end());
    };
    const std::pair<std::size_t, const SoundedDrum*> starts[] = {
        {4800, &drums[1]}, {12000, &drums[0]}, {12000, &drums[2]}, {28800, &drums[3]}};
    for (const auto& [frame, drum] : starts) {
        renderTo(frame);
        now = drum->time;
        engine.play(drum->drum, drum->velocity, drum->pan);
    }
    renderTo(frames);
    EXPECT_TRUE(take == expected);
    // It ends once every drum has rung out.
    EXPECT_TRUE(std::all_of(take.end() - 200, take.end(), [](float sample) { return sample == 0.0f; }));
}

}  // namespace
}  // namespace knockbox
