#pragma once
// Simulated recordings shared by the tests.

#include <cstdint>
#include <filesystem>

#include "simulation/tap_simulation.h"

namespace knockbox::test {

// One tap of each drum after the 2 s warm-up, 0.3 s apart from 2.2 s on:
// kick, hi-hat, tom, snare.
simulation::Scene fourDrums(std::uint64_t seed, double duration);

// The scene's samples as a recording at `path`.
void writeRecording(const std::filesystem::path& path, const simulation::Scene& scene);

}  // namespace knockbox::test
