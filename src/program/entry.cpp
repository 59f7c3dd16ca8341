#include "program/entry.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/views/configuration_app.h"
#include "core/app_error.h"
#include "core/write_all.h"
#include "platform/directories.h"
#include "platform/log_line.h"
#include "platform/run_loop.h"
#include "player/options.h"
#include "player/process_values.h"
#include "player/run_modes.h"
#include "program/self_test.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {

// The usage text on standard output; output that cannot be written (a full
// disk, a closed pipe) is a failure, as for any tool.
void writeHelp() {
    std::string text(processValues().help);
    text += '\n';
    if (!writeAll(STDOUT_FILENO, text)) throw AppError(std::string("standardowe wyjście: ") + std::strerror(errno));
}

void dispatch(const Options& options) {
    switch (options.mode) {
        case RunMode::ui: return runConfigurationApp(options);
        case RunMode::help: return writeHelp();
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

int runProgram(std::vector<std::string> arguments) {
    // A double-clicked application opens the configuration app.
    if (arguments.empty() && insideApplicationBundle()) arguments = {"--ui"};
    try {
        const Options options = parseOptions(arguments);
        setupSignals();
        if (options.untilInputEnds) stopAtEndOfInput();
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
