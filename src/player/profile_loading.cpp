#include "player/profile_loading.h"

#include <unistd.h>

#include <exception>
#include <system_error>

#include "platform/hardware_model.h"
#include "player/process_values.h"
#include "protocol/player_lines.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"

namespace knockbox {

namespace {

bool fileExists(const std::filesystem::path& path) {
    std::error_code ignored;  // a location we cannot look at holds no profile for us
    return std::filesystem::exists(path, ignored);
}

}  // namespace

void loadSavedProfiles(const Options& options, TapDetector& detector, const SessionEnvironment::Log& log,
                       const ProfileSources& sources) {
    if (options.noSideProfile) return;
    if (!options.calibrateSides && fileExists(sources.sideProfile)) {
        try {
            const SideProfile profile = SideProfile::load(sources.sideProfile, sources.hardwareModel);
            detector.setSideProfile(profile);
            log(lines::sideProfileLoaded(profile.validationAccuracy));
        } catch (const std::exception& error) {
            log(lines::sideProfileSkipped(error.what()));
        }
    }
    if (fileExists(sources.lightProfile)) {
        try {
            const LightSideProfile light = LightSideProfile::load(sources.lightProfile, sources.hardwareModel);
            detector.setLightSideProfile(light);
            log(lines::lightProfileLoaded(light.maximumPeak, light.validationAccuracy()));
        } catch (const std::exception& error) {
            log(lines::lightProfileSkipped(error.what()));
        }
    }
}

SessionEnvironment::ProfileLoader savedProfileLoader() {
    return [](const Options& options, TapDetector& detector, const SessionEnvironment::Log& log) {
        const ProcessValues& values = processValues();
        // Root would leave files the user cannot replace in the user's folder.
        if (!values.legacyProfileFolder.empty() && ::geteuid() != 0) migrateLegacyProfiles(values.legacyProfileFolder);
        loadSavedProfiles(options, detector, log, {values.sideProfileURL, values.lightProfileURL, hardwareModel()});
    };
}

}  // namespace knockbox
