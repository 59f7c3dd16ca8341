#pragma once
// The built-in self-checks (--self-test): the real code paths on synthetic
// input made in-process from fixed seeds, with no sensor, no sound device, no
// display and no files outside one private temporary folder. One line per
// check on standard error, in the order detector, samples, side calibration,
// light calibration, UI settings.

#include <filesystem>
#include <string>
#include <vector>

#include "player/options.h"

namespace knockbox {

// One check: whether it passed and what it found (for a failure, what
// differed or why it could not run).
struct SelfCheck {
    bool passed = false;
    std::string detail;
};

// Writes one line per check and a summary; throws AppError with the summary
// when a check failed.
void selfTest(const Options& options);

namespace selfcheck {

// The groups, in order; a group that keeps files keeps them in `folder`
// (private, removed after the run).
std::vector<SelfCheck> detector();
std::vector<SelfCheck> samples();
std::vector<SelfCheck> sideCalibration(const std::filesystem::path& folder);
std::vector<SelfCheck> lightCalibration(const std::filesystem::path& folder);
// Default settings give the player's defaults; a settings file written in
// `folder` reads back with every field; invalid files give the defaults.
std::vector<SelfCheck> uiSettings(const std::filesystem::path& folder);

}  // namespace selfcheck
}  // namespace knockbox
