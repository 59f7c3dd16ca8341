#include "player/process_values.h"

#include <cstdlib>
#include <system_error>

#include "audio/live_kit.h"
#include "core/small_file.h"
#include "platform/directories.h"
#include "platform/executable_path.h"
#include "player/usage.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

ProcessValues installedValues;

}  // namespace

void migrateLegacyProfiles(const fs::path& folder) {
    for (const char* name : {"side", "light-side"}) {
        for (const char* prefix : {"pendrel", "vexbeat"}) {
            const fs::path current = folder / (std::string(".knockbox-") + name + "-profile.json");
            copySmallFileIfAbsent(folder / (std::string(".") + prefix + "-" + name + "-profile.json"), current);
        }
    }
}

fs::path standardizedPath(const fs::path& path, const fs::path& currentDirectory) {
    const fs::path absolute = path.is_absolute() ? path : currentDirectory / path;
    return absolute.lexically_normal();
}

fs::path sideProfileLocation(const ProfileLocationInputs& inputs) {
    if (inputs.environmentProfile) return fs::path(inputs.environmentProfile);
    if (inputs.insideAppBundle || inputs.installed) return inputs.appSupport / "side-profile.json";
    // A bare name was found through PATH, not in the current folder: the
    // file that runs is the one to stand beside.
    const bool foundThroughPath = inputs.argument0.string().find('/') == std::string::npos;
    const fs::path executable = foundThroughPath && !inputs.executable.empty()
                                    ? inputs.executable
                                    : standardizedPath(inputs.argument0, inputs.currentDirectory);
    return executable.parent_path().parent_path() / ".knockbox-side-profile.json";
}

fs::path lightProfileLocation(const fs::path& sideProfile) {
    if (sideProfile.empty()) return {};
    const std::string name = sideProfile.filename().string();
    const bool hidden = !name.empty() && name.front() == '.';
    return sideProfile.parent_path() /
           (hidden ? ".knockbox-light-side-profile.json" : "light-side-profile.json");
}

ProcessValues makeProcessValues(const char* argument0) {
    ProcessValues values;
    values.help = usageText;
    values.appSupportURL = applicationSupportDirectory() / "Knockbox";
    std::error_code error;
    fs::path current = fs::current_path(error);
    values.executablePath = executablePath();
    ProfileLocationInputs inputs{std::getenv("KNOCKBOX_SIDE_PROFILE"), insideApplicationBundle(),
                                 argument0 ? argument0 : "", error ? fs::path("/") : current,
                                 values.appSupportURL, values.executablePath,
                                 liveKit().place == LiveKitPlace::installed};
    values.sideProfileURL = sideProfileLocation(inputs);
    values.lightProfileURL = lightProfileLocation(values.sideProfileURL);
    if (!inputs.environmentProfile && !inputs.insideAppBundle && !inputs.installed)
        values.legacyProfileFolder = values.sideProfileURL.parent_path();
    return values;
}

void installProcessValues(ProcessValues values) { installedValues = std::move(values); }
const ProcessValues& processValues() { return installedValues; }

}  // namespace knockbox
