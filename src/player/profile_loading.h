#pragma once
// The saved side profiles of a run: found, loaded for this Mac, installed
// into the detector, and reported one line each.

#include <filesystem>
#include <string>

#include "detection/tap_detector.h"
#include "player/options.h"
#include "player/session.h"

namespace knockbox {

struct ProfileSources {
    std::filesystem::path sideProfile;   // firm taps
    std::filesystem::path lightProfile;  // gentle taps
    std::string hardwareModel;           // this Mac's
};

// The firm-tap profile unless --no-side-profile or a side calibration (which
// makes a new one), the light-tap profile unless --no-side-profile; each only
// when its file exists. A file that does not load is reported and left out:
// the run goes on without it.
void loadSavedProfiles(const Options& options, TapDetector& detector, const SessionEnvironment::Log& log,
                       const ProfileSources& sources);

// The loader of a real run: this process's profile locations and this Mac's
// model; profiles of the program's earlier names are migrated first.
SessionEnvironment::ProfileLoader savedProfileLoader();

}  // namespace knockbox
