// knockbox-helper: what the configuration app starts instead of the player
// when it lies beside the app's executable (in Knockbox.app on a Mac). It
// makes sure sudo runs the sensor process as root without asking, through the
// system's administrator prompt the first time (player/sensor_access.h,
// docs/macos-sensor-access.md), and then becomes the player, with the app's
// arguments, except that the player starts the installed sensor program
// through sudo instead of starting itself directly.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/app_error.h"
#include "core/line_text.h"
#include "platform/executable_path.h"
#include "platform/log_line.h"
#include "platform/run_loop.h"
#include "platform/standard_streams.h"
#include "player/sensor_access.h"
#include "protocol/player_lines.h"

namespace {

// Never returns: the process becomes the program.
[[noreturn]] void become(const std::filesystem::path& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program.string());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    throw std::system_error(errno, std::generic_category(), knockbox::pathText(program));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace knockbox;
    reopenClosedStandardStreams();
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        setupSignals();
        // The app's player ends when the app goes; so does the wait for the prompt.
        if (std::ranges::find(arguments, "--until-input-ends") != arguments.end()) stopAtEndOfInput();
        const std::filesystem::path folder = executablePath().parent_path();
        if (folder.empty()) throw AppError("knockbox-helper nie zna własnego położenia.");
        const SystemPlaces system = systemPlaces();
        if (!ensureSensorGrant(system, folder / "knockbox-sensor")) return 0;  // stopped meanwhile
        std::erase(arguments, "--direct-sensor");
        arguments.insert(arguments.end(), {"--sensor-program", system.installedSensor().string()});
        become((folder / KNOCKBOX_HELPER_PLAYER).lexically_normal(), std::move(arguments));
    } catch (const std::exception& error) {
        logLine(lines::error(error.what()));
        return 1;
    }
}
