// The audio engine's costs. Targets on a 2-core machine: one render callback
// of 256 frames with 16 voices sounding at most 50 µs (it has 5.3 ms); an
// engine created, with all 96 buffers, in at most 60 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "audio/drum_audio.h"
#include "audio/offline_output_device.h"
#include "audio/voice_mixer.h"

namespace knockbox {
namespace {

// 16 voices of loud noise (so the limiter works hard) at the device's rate.
void renderSixteenVoices(benchmark::State& state) {
    const double outputRate = static_cast<double>(state.range(0));
    std::mt19937 random(1);
    std::uniform_real_distribution<float> noise(-0.9f, 0.9f);
    std::vector<std::vector<float>> buffers(VoiceMixer::voiceCount, std::vector<float>(48000));
    for (auto& buffer : buffers) {
        for (float& sample : buffer) sample = noise(random);
    }
    VoiceMixer mixer(outputRate, {1.0f, 3.5f});
    std::vector<float> out(2 * VoiceMixer::blockFrames);
    for (auto _ : state) {
        if (mixer.activeVoices() < VoiceMixer::voiceCount) {
            for (std::uint32_t voice = 0; voice < VoiceMixer::voiceCount; ++voice) {
                benchmark::DoNotOptimize(mixer.start({buffers[voice].data(), 48000, voice, 0.9f, 0.1f * static_cast<float>(voice) - 0.8f}));
            }
        }
        mixer.render(out.data(), VoiceMixer::blockFrames, 2);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(VoiceMixer::blockFrames));
}
BENCHMARK(renderSixteenVoices)->Arg(48000)->Arg(44100)->Unit(benchmark::kMicrosecond);

void createEngine(benchmark::State& state) {
    for (auto _ : state) {
        DrumAudio audio(defaultMasterVolume, {}, {std::make_unique<OfflineOutputDevice>(), nullptr, nullptr});
        benchmark::DoNotOptimize(audio.isRunning());
    }
}
BENCHMARK(createEngine)->Unit(benchmark::kMillisecond);

// One hit on the main thread: lookup, voice choice, queue push.
void playHit(benchmark::State& state) {
    auto device = std::make_unique<OfflineOutputDevice>();
    OfflineOutputDevice* offline = device.get();
    DrumAudio audio(1.0f, {}, {std::move(device), nullptr, [](Drum, DrumKit, int, int) { return std::vector<float>{}; }});
    std::vector<float> out(2 * 256);
    int count = 0;
    for (auto _ : state) {
        audio.play(allDrums[static_cast<std::size_t>(count % 4)], 0.7f, 0.45f);
        if (++count % 32 == 0) {
            state.PauseTiming();
            offline->renderInto(out.data(), 256);  // drains the start queue
            state.ResumeTiming();
        }
    }
}
BENCHMARK(playHit)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace knockbox
