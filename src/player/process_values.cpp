#include "player/process_values.h"

#include <cstdlib>
#include <system_error>

#include "platform/directories.h"
#include "platform/executable_path.h"
#include "player/usage.h"

namespace knockbox {
namespace fs = std::filesystem;

namespace {

ProcessValues installedValues;

// Profiles written under the program's earlier names are copied to the
// current name once, when no profile of the current name exists yet.
void migrateLegacyProfiles(const fs::path& directory) {
    for (const char* name : {"side", "light-side"}) {
        for (const char* prefix : {"pendrel", "vexbeat"}) {
            const fs::path current = directory / (std::string(".knockbox-") + name + "-profile.json");
            // A folder we may not look into is no reason to stop: nothing is copied.
            std::error_code ignored;  // usually: there is no legacy file
            if (fs::exists(current, ignored) || ignored) continue;
            const fs::path legacy = directory / (std::string(".") + prefix + "-" + name + "-profile.json");
            fs::copy_file(legacy, current, ignored);
        }
    }
}

}  // namespace

fs::path standardizedPath(const fs::path& path, const fs::path& currentDirectory) {
    const fs::path absolute = path.is_absolute() ? path : currentDirectory / path;
    return absolute.lexically_normal();
}

fs::path sideProfileLocation(const ProfileLocationInputs& inputs) {
    if (inputs.environmentProfile) return fs::path(inputs.environmentProfile);
    if (inputs.insideAppBundle) return inputs.appSupport / "side-profile.json";
    // A bare name was found through PATH, not in the current folder: the
    // file that runs is the one to stand beside.
    const bool foundThroughPath = inputs.argument0.string().find('/') == std::string::npos;
    const fs::path executable = foundThroughPath && !inputs.executable.empty()
                                    ? inputs.executable
                                    : standardizedPath(inputs.argument0, inputs.currentDirectory);
    const fs::path directory = executable.parent_path().parent_path();
    migrateLegacyProfiles(directory);
    return directory / ".knockbox-side-profile.json";
}

fs::path lightProfileLocation(const fs::path& sideProfile) {
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
                                 values.appSupportURL, values.executablePath};
    values.sideProfileURL = sideProfileLocation(inputs);
    values.lightProfileURL = lightProfileLocation(values.sideProfileURL);
    return values;
}

void installProcessValues(ProcessValues values) { installedValues = std::move(values); }
const ProcessValues& processValues() { return installedValues; }

}  // namespace knockbox
