#include "player/entry.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "platform/directories.h"
#include "platform/log_line.h"
#include "platform/run_loop.h"
#include "player/options.h"
#include "player/process_values.h"
#include "player/run_modes.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {

void dispatch(const Options& options) {
    const std::string& mode = options.mode;
    if (mode == "ui") return launchConfigurationUI(options);
    if (mode == "help") {
        std::cout << processValues().help << '\n' << std::flush;
        return;
    }
    if (mode == "probe") return probe(options);
    if (mode == "check-access") return checkAccess(options);
    if (mode == "sensor") return sensorStream(options);
    if (mode == "export") return exportSamples(options);
    if (mode == "demo") return demo(options);
    if (mode == "self-test") return selfTest(options);
    if (mode == "replay") return replay(options);
    live(options);
}

}  // namespace

int runPlayer(std::vector<std::string> arguments) {
    // A double-clicked application opens the configuration app.
    if (arguments.empty() && insideApplicationBundle()) arguments = {"--ui"};
    try {
        const Options options = parseOptions(arguments);
        setupSignals();
        dispatch(options);
        return 0;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        logLine(lines::error(error.what()));
        return 1;
    }
}

}  // namespace knockbox
