// The processor time live play costs while it waits for taps and plays them:
// the real player (`--direct-sensor`) and its sensor process on the
// simulated sensor, a groove for 30 s, muted and with sound; and the muted
// replay of the same groove for comparison; and muted live play with the
// fast trigger, which reads every sample as it comes while a tap may start. Each figure is CPU seconds (user
// and system) per second of the process's life, read from /proc shortly
// before the run ends, so start-up is included. Goal: at most 1 % muted and
// 1.5 % with sound for player and sensor process together.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/subprocess.h"
#include "program_runs.h"
#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"

namespace knockbox {
namespace {

constexpr double runLength = 30;  // s

void measure(benchmark::State& state, std::vector<std::string> arguments, bool withSensor) {
    bench::Workspace workspace;
    const auto groove = simulation::scenario("groove", 7, runLength + 5);
    std::ofstream(workspace / "groove.csv") << recordingText(simulation::render(*groove));
    setenv("KNOCKBOX_SIMULATED_SPU", (workspace / "groove.csv").c_str(), 1);
    for (std::string& argument : arguments)
        if (argument == "GROOVE") argument = (workspace / "groove.csv").string();
    arguments.insert(arguments.end(), {"--duration", std::to_string(runLength)});

    for (auto _ : state) {
        const auto [program, programArguments] = workspace.command(arguments);
        Subprocess player(program, programArguments);
        std::this_thread::sleep_for(std::chrono::duration<double>(runLength - 0.5));
        const bench::ProcessTimes own = bench::processTimes(player.pid());
        bench::ProcessTimes sensor;
        for (pid_t child : bench::childrenOf(player.pid())) sensor = bench::processTimes(child);
        player.wait();
        if (withSensor && sensor.alive <= 0) {
            state.SkipWithError("no sensor process was seen");
            return;
        }
        state.counters["player_percent"] = 100 * own.cpu / own.alive;
        state.counters["total_percent"] = 100 * own.cpu / own.alive + (withSensor ? 100 * sensor.cpu / sensor.alive : 0);
        if (withSensor) state.counters["sensor_percent"] = 100 * sensor.cpu / sensor.alive;
    }
    unsetenv("KNOCKBOX_SIMULATED_SPU");
}

void liveMuted(benchmark::State& state) { measure(state, {"--direct-sensor", "--mute"}, true); }
void liveWithSound(benchmark::State& state) { measure(state, {"--direct-sensor"}, true); }
void liveMutedFastTrigger(benchmark::State& state) {
    measure(state, {"--direct-sensor", "--mute", "--fast-trigger"}, true);
}
void replayMuted(benchmark::State& state) { measure(state, {"--replay", "GROOVE", "--mute"}, false); }

BENCHMARK(liveMuted)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(liveWithSound)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(replayMuted)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(liveMutedFastTrigger)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace knockbox
