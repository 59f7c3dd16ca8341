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
    switch (options.mode) {
        case RunMode::ui: return launchConfigurationUI(options);
        case RunMode::help:
            std::cout << processValues().help << '\n' << std::flush;
            return;
        case RunMode::probe: return probe(options);
        case RunMode::checkAccess: return checkAccess(options);
        case RunMode::sensor: return sensorStream(options);
        case RunMode::exportSamples: return exportSamples(options);
        case RunMode::demo: return demo(options);
        case RunMode::selfTest: return selfTest(options);
        case RunMode::replay: return replay(options);
        case RunMode::live: return live(options);
    }
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
    } catch (const ReportedFailure&) {
        return 1;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        logLine(lines::error(error.what()));
        return 1;
    }
}

}  // namespace knockbox
