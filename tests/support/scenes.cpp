#include "support/scenes.h"

#include "recording/csv_recording.h"
#include "support/child_process.h"

namespace knockbox::test {

simulation::Scene fourDrums(std::uint64_t seed, double duration) {
    using simulation::Strength;
    return {.seed = seed, .duration = duration, .taps = {{2.2, Side::left, Strength::gentle, 0.09},
                                                         {2.5, Side::right, Strength::gentle, 0.10},
                                                         {2.8, Side::left, Strength::firm, 0.30},
                                                         {3.1, Side::right, Strength::firm, 0.35}}};
}

void writeRecording(const std::filesystem::path& path, const simulation::Scene& scene) {
    writeFile(path, recordingText(simulation::render(scene)));
}

}  // namespace knockbox::test
