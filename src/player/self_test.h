#pragma once
// The built-in self-checks (--self-test): the real code paths on synthetic
// input made in-process from fixed seeds, with no sensor, no sound device, no
// display and no files outside one private temporary folder. One line per
// check on standard error, in the order detector, samples, side calibration,
// light calibration, UI settings.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace knockbox {

// One check: whether it passed and what it found (for a failure, what
// differed or why it could not run).
struct SelfCheck {
    bool passed = false;
    std::string detail;
};

// A group of checks that may keep files in `folder` (private, removed after
// the run). The UI settings group belongs to the configuration app's layer,
// which the player may not use, so the program's entry hands it in; empty:
// this build has none, and the group fails.
using SelfCheckGroup = std::function<std::vector<SelfCheck>(const std::filesystem::path& folder)>;

namespace selfcheck {

// The player's own groups.
std::vector<SelfCheck> detector();
std::vector<SelfCheck> samples();
std::vector<SelfCheck> sideCalibration(const std::filesystem::path& folder);
std::vector<SelfCheck> lightCalibration(const std::filesystem::path& folder);

}  // namespace selfcheck
}  // namespace knockbox
