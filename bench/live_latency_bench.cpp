// Tap-to-sound latency of live play on the simulated sensor, with the full
// attack window and with the fast trigger, one pass each. The real sensor
// process plays a groove; its pipe is read the way the live mode reads it,
// into a play session with the real audio engine on the default output (the
// test sink when scripts/sound-server.sh was sourced). Each sounded tap is
// timed from its onset sample's time stamp to the moment the audio callback
// took its voice start (both on uptime()); right after, the sound server is
// asked for the output stream's own latency, and the two make the estimated
// tap-to-ear time. The same taps go out as MIDI (--midi) on a JACK server
// the bench starts (the dummy driver), timed from the onset to the moment
// their note-on had been handed to RtMidi: no slower than the sound path.
// Goals: at most 40 ms with the full window, of which the detector's attack
// window is 34 ms; with the fast trigger at most 20 ms, a median of at most
// 8 ms and a 90th percentile of at most 10 ms to the callback. Method and
// figures: bench/LATENCY.md.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "audio/drum_audio.h"
#include "midi/midi_output.h"
#include "platform/monotonic_clock.h"
#include "platform/run_loop.h"
#include "platform/subprocess.h"
#include "player/options.h"
#include "player/sensor_pacing.h"
#include "player/session.h"
#include "recording/csv_recording.h"
#include "sensor/sensor_pipe_reader.h"
#include "simulation/tap_simulation.h"
#include "server_output_latency.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

constexpr double grooveLength = 12.0;  // s: about three dozen taps after the warm-up

// One sounded tap, on the player's uptime clock.
struct Tap {
    double onsetStamp;  // the onset sample's time, as the sensor stamped it
    double completed;   // when the line that decided the sound came out
    double played;      // when the session had started the drum
};

// A JACK server of the bench's own (the dummy driver: no sound card), named
// for this process, for the MIDI path; none where jackd is missing (the MIDI
// figures are then left out).
class BenchJack {
public:
    BenchJack() {
#ifndef __APPLE__
        if (!fs::exists("/usr/bin/jackd")) return;
        setenv("JACK_DEFAULT_SERVER", ("knockbox-bench-" + std::to_string(getpid())).c_str(), 1);
        // Its own messages (xruns of the dummy driver on a busy machine) kept off the bench's.
        server_.emplace("/bin/sh", std::vector<std::string>{
                                       "-c", "exec /usr/bin/jackd --no-realtime -d dummy -p 256 >/dev/null 2>&1"});
        for (const double start = uptime(); uptime() - start < 10 && !ready_;) {
            ready_ = midiSystemReady(MidiSystem::jack);
            if (!ready_) mainRunLoop().runFor(0.05);
        }
#else
        ready_ = true;  // CoreMIDI
#endif
    }
    bool ready() const { return ready_; }

private:
    std::optional<Subprocess> server_;
    bool ready_ = false;
};

struct Latencies {
    std::vector<double> total;  // onset sample's stamp → voice start taken
    std::vector<double> window, processing, audio;  // the parts of the total
    std::vector<double> output;  // the output stream's own latency, read after each tap
    std::vector<double> ear;     // total + output
    std::vector<double> midi;    // onset sample's stamp → note-on handed to RtMidi
    long lines = 0;  // hit lines the session wrote
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The value below which nine in ten lie (nearest rank).
double ninetieth(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = (values.size() * 9 + 9) / 10;  // ceil(0.9 n), 1-based
    return values[rank - 1];
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// The groove as a recording the simulated sensor plays, in a folder of its own.
class GrooveFile {
public:
    GrooveFile() {
        std::string pattern = (fs::temp_directory_path() / "knockbox-latency-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        directory_ = pattern;
        const auto scene = simulation::scenario("groove", 7, grooveLength);
        std::ofstream(path()) << recordingText(simulation::render(*scene));
    }
    ~GrooveFile() {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
    fs::path path() const { return directory_ / "groove.csv"; }

private:
    fs::path directory_;
};

// The machine's load average over the last minute, to go with the figures.
double loadAverage() {
    std::ifstream file("/proc/loadavg");
    double load = 0;
    file >> load;
    return load;
}

// One pass over the groove; every sounded tap paired with the start the
// audio callback took for it.
Latencies measure(bool fastTrigger, bool midi) {
    GrooveFile groove;
    setenv("KNOCKBOX_SIMULATED_SPU", groove.path().c_str(), 1);
    unsetenv("KNOCKBOX_SIMULATED_SPU_FAULTS");

    Options options;  // defaults, with sound
    options.fastTrigger = fastTrigger;
    options.midi = midi;
    // Without saved side profiles: the same run on every machine. Only the
    // hit lines are counted.
    long lines = 0;
    Session session(options, {uptime,
                              [&lines](std::string_view line) {
                                  lines += line.starts_with("L  ") || line.starts_with("R  ");
                              },
                              nullptr});
    const VoiceMixer& mixer = session.audio()->mixer();
    bench::ServerOutputLatency output("Knockbox");  // the stream name the audio engine gives
    Subprocess sensor(KNOCKBOX_EXECUTABLE, {"--sensor-stream"});

    std::deque<Tap> waiting;
    long sounded = 0;
    Latencies result;
    SensorPipeReader reader(sensor.output(), [&](const AccelSample& sample) {
        const double arrived = uptime();
        session.receive(sample, false);
        if (session.soundsStarted() == sounded) return;
        sounded = session.soundsStarted();
        waiting.push_back({session.lastSoundOnset(), arrived, uptime()});
        if (session.midi()) result.midi.push_back(session.midi()->lastNoteOnAt() - session.lastSoundOnset());
    });

    std::uint64_t taken = mixer.startsTaken();
    const double start = uptime();
    // Stop before the recording loops back to its start.
    while (!mainRunLoop().stopped() && !reader.ended() && uptime() - start < grooveLength - 0.3) {
        followSensorForASlice(reader, session, mainRunLoop());
        const std::uint64_t now = mixer.startsTaken();
        // Taps are at least a cooldown apart, far more than one slice, so a
        // slice sees at most one new start and its time is the latest one.
        if (now == taken + 1 && !waiting.empty()) {
            const Tap& tap = waiting.front();
            const double takenAt = mixer.lastStartTakenAt();
            result.total.push_back(takenAt - tap.onsetStamp);
            result.window.push_back(tap.completed - tap.onsetStamp);
            result.processing.push_back(tap.played - tap.completed);
            result.audio.push_back(takenAt - tap.played);
            // The next tap is at least a cooldown away: time for one round trip.
            if (const auto latency = output.now()) {
                result.output.push_back(*latency);
                result.ear.push_back(result.total.back() + *latency);
            }
        }
        waiting.erase(waiting.begin(),
                      waiting.begin() + static_cast<long>(std::min<std::uint64_t>(now - taken, waiting.size())));
        taken = now;
    }
    reader.remove();
    sensor.terminateAndWait();
    session.stop();
    unsetenv("KNOCKBOX_SIMULATED_SPU");
    result.lines = lines;
    return result;
}

// Argument 0: the full attack window; 1: the fast trigger.
void liveTapToSound(benchmark::State& state) {
    const bool fastTrigger = state.range(0) != 0;
    const double goal = fastTrigger ? 0.020 : 0.040;  // s, for every tap
    state.SetLabel(fastTrigger ? "--fast-trigger" : "full window");
    static BenchJack jack;
    for (auto _ : state) {
        Latencies latencies;
        const double load = loadAverage();
        try {
            latencies = measure(fastTrigger, jack.ready());
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            return;
        }
        if (latencies.total.empty()) {
            state.SkipWithError("no hit was played");
            return;
        }
        state.SetIterationTime(median(latencies.total));
        state.counters["taps"] = static_cast<double>(latencies.total.size());
        state.counters["hit_lines"] = static_cast<double>(latencies.lines);
        state.counters["load_1min"] = load;
        state.counters["median_ms"] = 1000 * median(latencies.total);
        state.counters["p90_ms"] = 1000 * ninetieth(latencies.total);
        state.counters["max_ms"] = 1000 * maximum(latencies.total);
        state.counters["window_ms"] = 1000 * median(latencies.window);
        state.counters["window_max_ms"] = 1000 * maximum(latencies.window);
        state.counters["processing_ms"] = 1000 * median(latencies.processing);
        state.counters["audio_ms"] = 1000 * median(latencies.audio);
        state.counters["audio_max_ms"] = 1000 * maximum(latencies.audio);
        if (!latencies.output.empty()) {
            state.counters["output_ms"] = 1000 * median(latencies.output);
            state.counters["output_max_ms"] = 1000 * maximum(latencies.output);
            state.counters["ear_ms"] = 1000 * median(latencies.ear);
            state.counters["ear_p90_ms"] = 1000 * ninetieth(latencies.ear);
        }
        if (!latencies.midi.empty()) {
            state.counters["midi_ms"] = 1000 * median(latencies.midi);
            state.counters["midi_p90_ms"] = 1000 * ninetieth(latencies.midi);
            state.counters["midi_max_ms"] = 1000 * maximum(latencies.midi);
        }
        state.counters["over_goal"] = static_cast<double>(
            std::count_if(latencies.total.begin(), latencies.total.end(), [&](double t) { return t > goal; }));
    }
}
BENCHMARK(liveTapToSound)
    ->ArgName("fast_trigger")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace knockbox
