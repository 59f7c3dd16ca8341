// Building every buffer the audio engine holds: 48 synthesized voices and the
// 48 recordings of the live kit. Target: at most 60 ms on a 2-core machine.
#include <benchmark/benchmark.h>

#include "audio/sample_library.h"

namespace knockbox {
namespace {

void synthesizeAll(benchmark::State& state) {
    for (auto _ : state) {
        for (DrumKit kit : allKits) {
            if (sampled(kit)) continue;
            for (Drum drum : allDrums) {
                for (int layer = 0; layer < layerCount(kit); ++layer) {
                    for (int variation = 0; variation < variationCount(kit); ++variation) {
                        benchmark::DoNotOptimize(synthesize(drum, kit, layer == 0, variation));
                    }
                }
            }
        }
    }
}

void loadLiveKit(benchmark::State& state) {
    for (auto _ : state) {
        for (Drum drum : allDrums) {
            for (int layer = 0; layer < layerCount(DrumKit::live); ++layer) {
                for (int variation = 0; variation < variationCount(DrumKit::live); ++variation) {
                    benchmark::DoNotOptimize(loadSample(drum, DrumKit::live, layer, variation));
                }
            }
        }
    }
}

void buildAllBuffers(benchmark::State& state) {
    for (auto _ : state) {
        for (DrumKit kit : allKits) {
            for (Drum drum : allDrums) {
                for (int layer = 0; layer < layerCount(kit); ++layer) {
                    for (int variation = 0; variation < variationCount(kit); ++variation) {
                        if (sampled(kit)) {
                            benchmark::DoNotOptimize(loadSample(drum, kit, layer, variation));
                        } else {
                            benchmark::DoNotOptimize(synthesize(drum, kit, layer == 0, variation));
                        }
                    }
                }
            }
        }
    }
}

BENCHMARK(synthesizeAll)->Unit(benchmark::kMillisecond);
BENCHMARK(loadLiveKit)->Unit(benchmark::kMillisecond);
BENCHMARK(buildAllBuffers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace knockbox
