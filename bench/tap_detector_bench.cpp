// Throughput of the tap detector over a long simulated recording with taps.
// Goal: at least 10 million samples per second on one core.

#include <benchmark/benchmark.h>

#include "detection/tap_detector.h"
#include "simulation/tap_simulation.h"

namespace {

using namespace knockbox;

const std::vector<AccelSample>& recording(bool gyro) {
    // Two minutes: a groove throughout, so captures and classifications are included.
    static const auto withGyro = simulation::render(*simulation::scenario("groove", 42, 120, true));
    static const auto withoutGyro = simulation::render(*simulation::scenario("groove", 42, 120, false));
    return gyro ? withGyro : withoutGyro;
}

void processRecording(benchmark::State& state) {
    const auto& samples = recording(state.range(0) != 0);
    std::size_t hits = 0;
    for (auto _ : state) {
        TapDetector detector;
        for (const AccelSample& sample : samples) {
            auto hit = detector.process(sample, false, true);
            hits += hit.has_value();
            benchmark::DoNotOptimize(hit);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * samples.size()));
    state.counters["hits per pass"] =
        static_cast<double>(hits) / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}
BENCHMARK(processRecording)->Arg(1)->Arg(0)->ArgName("gyro")->Unit(benchmark::kMillisecond);

}  // namespace
