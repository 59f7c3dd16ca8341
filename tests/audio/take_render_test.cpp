// A take's sound is the engine's own: the WAV read back equals an offline
// render of the same drums, each played when that render reaches its frame.
#include "audio/take_render.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "audio/drum_audio.h"
#include "audio/offline_output_device.h"
#include "support/child_process.h"

namespace knockbox {
namespace {

std::vector<float> readTake(const std::filesystem::path& path, SF_INFO& info) {
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (!file) return {};
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, frames.data(), info.frames), info.frames);
    sf_close(file);
    return frames;
}

TEST(TakeRender, IsTheEnginesSoundWithEachDrumStartedAtItsFrame) {
    test::TemporaryDirectory folder;
    const std::filesystem::path path = folder / "take.wav";
    // At the highest volume two loud drums overlap (the limiter works), on
    // both sides, from three kits, handed over out of order.
    const SoundSelection sounds{DrumKit::studio, DrumKit::electronic, DrumKit::lofi, DrumKit::studio};
    const float volume = 1.5f;
    const std::vector<SoundedDrum> drums{{0.25, Drum::snare, 1.0f, 0.45f},
                                         {0.1, Drum::kick, 1.0f, -0.45f},
                                         {0.2500104, Drum::tom, 0.9f, -0.45f},
                                         {0.6, Drum::hihat, 0.2f, 0.45f}};
    const double length = 1.0;
    {
        WaveWriter wave(path, WaveKind::take);
        renderTake(wave, drums, volume, sounds, length);
        wave.commit();
    }
    SF_INFO info{};
    const std::vector<float> take = readTake(path, info);
    EXPECT_EQ(info.samplerate, 48000);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
    EXPECT_EQ(test::readFile(path).substr(0, 4), "RIFF");  // a short take is a plain WAV
    const auto frames = static_cast<std::size_t>(info.frames);
    ASSERT_GE(frames, static_cast<std::size_t>(length * 48000));

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
    ASSERT_EQ(take.size(), expected.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < take.size(); ++i) differing += std::fabs(take[i] - expected[i]) > 1.5e-7f;  // 24 bits
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(*std::max_element(take.begin(), take.end()), 0.9f);  // loud, and limited
    // It ends once every drum has rung out.
    EXPECT_TRUE(std::all_of(take.end() - 200, take.end(), [](float sample) { return sample == 0.0f; }));
}

}  // namespace
}  // namespace knockbox
