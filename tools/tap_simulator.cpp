// Writes a simulated 800 Hz recording in the player's CSV format.
//
//   tap_simulator <scenario> [--seed N] [--duration S] [--no-gyro]
//                 [--output FILE] [--hits FILE]
//
// The same scenario and seed always give the same file. --hits writes the
// intended hits as "t,side,drum" lines (t on the recording's clock).

#include <charconv>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"

namespace {

using namespace knockbox;

int usage(const std::string& problem) {
    std::cerr << "tap_simulator: " << problem << "\n"
              << "usage: tap_simulator <scenario> [--seed N] [--duration S] [--no-gyro] "
                 "[--output FILE] [--hits FILE]\nscenarios:";
    for (std::string_view name : simulation::scenarioNames()) std::cerr << ' ' << name;
    std::cerr << '\n';
    return 2;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) std::cerr << "tap_simulator: cannot write " << path << '\n';
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) return usage("no scenario given");
    std::uint64_t seed = 1;
    double duration = 0;
    bool gyro = true;
    std::string output, hitsPath;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == "--no-gyro") {
            gyro = false;
        } else if (option == "--seed" && hasValue) {
            const std::string& text = arguments[++i];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
            if (error != std::errc{} || end != text.data() + text.size()) return usage("bad seed " + text);
        } else if (option == "--duration" && hasValue) {
            const auto value = parseNumber(arguments[++i]);
            if (!value || *value <= 0 || *value > 600) return usage("bad duration " + arguments[i]);
            duration = *value;
        } else if (option == "--output" && hasValue) {
            output = arguments[++i];
        } else if (option == "--hits" && hasValue) {
            hitsPath = arguments[++i];
        } else {
            return usage("unknown or incomplete option " + option);
        }
    }
    const auto scene = simulation::scenario(arguments[0], seed, duration, gyro);
    if (!scene) return usage("unknown scenario " + arguments[0]);

    const std::string recording = recordingText(simulation::render(*scene));
    if (output.empty()) {
        std::cout << recording << std::flush;
    } else if (!writeFile(output, recording)) {
        return 1;
    }
    if (!hitsPath.empty()) {
        std::string hits = "t,side,drum\n";
        for (const simulation::IntendedHit& hit : simulation::intendedHits(*scene))
            hits += fixed(hit.t, 9) + ',' + std::string(rawValue(hit.side)) + ',' +
                    std::string(rawValue(hit.drum)) + '\n';
        if (!writeFile(hitsPath, hits)) return 1;
    }
    return 0;
}
