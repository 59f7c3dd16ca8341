// Peak memory of replaying a long recording: the real program reads a
// 1,000,000-line recording (about 21 minutes at 800 Hz) and plays a moment of
// it; its peak resident size, less that of a one-line recording, per sample.
// Goal: at most 100 bytes per sample.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fstream>

#include "platform/subprocess.h"
#include "program_runs.h"
#include "recording/csv_recording.h"

namespace knockbox {
namespace {

constexpr long sampleCount = 1'000'000;

// The peak resident size of one muted replay of `path`, in bytes.
double peakBytes(const bench::Workspace& workspace, const std::filesystem::path& path) {
    const auto [program, arguments] = workspace.command({"--replay", path.string(), "--mute", "--duration", "0.001"});
    Subprocess player(program, arguments);
    int status = 0;
    rusage usage{};
    wait4(player.pid(), &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

void replayPeakMemory(benchmark::State& state) {
    bench::Workspace workspace;
    {
        std::ofstream big(workspace / "long.csv");
        big << csvHeader << '\n';
        // Sample lines of the length the recorder writes, half with a gyroscope.
        for (long i = 0; i < sampleCount; ++i) {
            const AccelSample sample{1000.0 + static_cast<double>(i) / 800, 0.0123457 * static_cast<double>(i % 7), -0.0045678,
                                     -1.0012345, i % 2 ? std::optional<GyroSample>() : GyroSample{0, 0.5, -0.25, 0.125}};
            big << csvLine(sample) << '\n';
        }
        std::ofstream(workspace / "one.csv") << csvHeader << "\n1000.000000000,0.0,0.0,-1.0,,,\n";
    }
    for (auto _ : state) {
        const double one = peakBytes(workspace, workspace / "one.csv");
        const double all = peakBytes(workspace, workspace / "long.csv");
        state.counters["bytes_per_sample"] = (all - one) / sampleCount;
        state.counters["peak_MB"] = all / 1e6;
    }
}
BENCHMARK(replayPeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace knockbox
