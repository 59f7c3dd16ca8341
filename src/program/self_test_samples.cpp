// Self-test, samples: every synthesized buffer has the length of its voice,
// starts and ends at 0, peaks at 0.82, sums to zero and holds only finite
// values; every recording of the Live kit loads from where the program
// looks for it.

#include <cmath>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "audio/live_kit.h"
#include "audio/sample_library.h"
#include "core/number_text.h"
#include "program/self_test.h"
#include "program/self_test_support.h"

namespace knockbox::selfcheck {
namespace {

// Voice lengths in samples at 48 kHz, kick, snare, hihat, tom. The electronic
// tom's 0.58 s fall just short of 27840 samples.
struct KitLengths {
    DrumKit kit;
    std::size_t lengths[4];
};
constexpr KitLengths synthesizedKits[] = {
    {DrumKit::studio, {29760, 16320, 6720, 31680}},
    {DrumKit::electronic, {40800, 14400, 5520, 27839}},
    {DrumKit::lofi, {17280, 11040, 4560, 16320}},
};

constexpr float peak = 0.82f;
// The voice sums to zero before it is rounded to 32-bit floats; the rounding
// leaves far less than this share of the voice's absolute sum.
constexpr double sumTolerance = 1e-6;

// What is wrong with one voice; empty when nothing is.
std::string voiceProblem(const std::vector<float>& voice, std::size_t length) {
    if (voice.size() != length)
        return std::to_string(voice.size()) + " próbek zamiast " + std::to_string(length);
    double sum = 0, magnitude = 0;
    float largest = 0;
    for (std::size_t n = 0; n < voice.size(); ++n) {
        if (!std::isfinite(voice[n])) return "próbka " + std::to_string(n) + " nieskończona";
        sum += voice[n];
        magnitude += std::abs(voice[n]);
        largest = std::max(largest, std::abs(voice[n]));
    }
    if (voice.front() != 0.0f || voice.back() != 0.0f)
        return "pierwsza próbka " + shortestNumber(voice.front()) + ", ostatnia " + shortestNumber(voice.back()) +
               " zamiast 0";
    if (largest != peak) return "peak " + shortestNumber(largest) + " zamiast 0.82";
    if (std::abs(sum) > sumTolerance * magnitude) return "suma " + shortestNumber(sum) + " zamiast 0";
    return {};
}

SelfCheck synthesizedKit(const KitLengths& kit) {
    std::vector<std::string> problems;
    int count = 0;
    for (Drum drum : allDrums) {
        for (bool soft : {true, false}) {
            for (int variation : {0, 1}) {
                ++count;
                const std::string problem =
                    voiceProblem(synthesize(drum, kit.kit, soft, variation), kit.lengths[index(drum)]);
                if (!problem.empty())
                    problems.push_back(std::string(rawValue(drum)) + (soft ? " cichy" : " głośny") + " wariant " +
                                       std::to_string(variation) + ": " + problem);
            }
        }
    }
    const std::string name(displayName(kit.kit));
    if (problems.empty())
        return {true, name + ": " + std::to_string(count) +
                          " buforów, długości zgodne, pierwsza i ostatnia próbka 0, peak 0.82, suma 0"};
    return {false, name + ": " + listed(problems)};
}

SelfCheck liveKit() {
    const std::filesystem::path& folder = liveKitURL();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return {false, "Live: nie można sprawdzić, brak folderu " + folder.string()};
    int total = 0;
    std::vector<std::string> failures;
    for (Drum drum : allDrums) {
        for (int layer = 0; layer < layerCount(DrumKit::live); ++layer) {
            for (int variation = 0; variation < variationCount(DrumKit::live); ++variation) {
                ++total;
                const std::string name = liveRecordingName(drum, layer, variation);
                try {
                    loadSample(drum, DrumKit::live, layer, variation);
                } catch (const SampleError&) {
                    failures.push_back(name + " nie jest pełnym nagraniem 48 kHz mono 32-bit float");
                } catch (const std::system_error& failure) {
                    failures.push_back(name + ": " + failure.code().message());
                } catch (const std::exception& failure) {
                    failures.push_back(name + ": " + failure.what());
                }
            }
        }
    }
    if (failures.empty())
        return {true, "Live: " + std::to_string(total) + " nagrań wczytanych z " + folder.string()};
    return {false, "Live: nie wczytano " + std::to_string(failures.size()) + " z " + std::to_string(total) +
                       " nagrań z " + folder.string() + ": " + listed(failures)};
}

}  // namespace

std::vector<SelfCheck> samples() {
    std::vector<SelfCheck> checks;
    for (const KitLengths& kit : synthesizedKits) checks.push_back(synthesizedKit(kit));
    checks.push_back(liveKit());
    return checks;
}

}  // namespace knockbox::selfcheck
