// Any bytes given as a firm-tap or light-tap profile file: either one of the
// documented errors, or a profile that predicts within its bounds and saves
// and loads back unchanged.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "sidemodels/calibration_error.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"

namespace {

using namespace knockbox;
namespace fs = std::filesystem;

const fs::path folder = fs::temp_directory_path() / ("knockbox-profile-fuzz-" + std::to_string(::getpid()));

void checkPrediction(const std::optional<SidePrediction>& prediction) {
    if (!prediction) return;
    if (!(prediction->confidence >= 0.5 && prediction->confidence <= 1.0)) std::abort();
}

const SideFeatures probes[] = {
    {{-0.2, -0.4, -0.5, 3.5, 9.0, -1.3, 0.0, 0.7}, true},
    {{0.2, 0.4, 0.5, -3.5, -9.0, 1.3, 0.0, 0.7}, false},
    {std::vector<double>(8, 0.0), true},
    {std::vector<double>(8, 1e300), true},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fs::create_directories(folder);
    const fs::path input = folder / "input.json", copy = folder / "copy.json";
    std::ofstream(input, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    try {
        const SideProfile profile = SideProfile::load(input, "Mac14,2");
        for (const SideFeatures& probe : probes) checkPrediction(profile.predict(probe));
        profile.save(copy);
        if (!(SideProfile::load(copy, "Mac14,2") == profile)) std::abort();
    } catch (const CalibrationError&) {
    }
    try {
        const LightSideProfile light = LightSideProfile::load(input, "Mac14,2");
        for (const SideFeatures& probe : probes) checkPrediction(light.predict(probe, probe));
        light.save(copy);
        if (!(LightSideProfile::load(copy, "Mac14,2") == light)) std::abort();
    } catch (const CalibrationError&) {
    } catch (const LightProfileError&) {
    }
    return 0;
}
