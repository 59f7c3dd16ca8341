// Live play: the sensor process (through sudo, or directly) streams sample
// lines into a pipe; the main loop reads them, feeds the play session and
// watches that data keeps coming.
#include <unistd.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/app_error.h"
#include "platform/log_line.h"
#include "platform/monotonic_clock.h"
#include "platform/run_loop.h"
#include "platform/subprocess.h"
#include "player/process_values.h"
#include "player/run_modes.h"
#include "player/sensor_access.h"
#include "player/sensor_pacing.h"
#include "player/session.h"
#include "protocol/player_lines.h"
#include "sensor/motion_source.h"
#include "sensor/sensor_pipe_reader.h"
#include "sensor/spu_sensor.h"

namespace knockbox {
namespace {

constexpr double dataWatchdog = 7.0;  // s without a sample before giving up

}  // namespace

void live(const Options& options) {
    if (!SPUSensor::available(*makeMotionHid()))
        throw AppError(std::string(lines::noSensorHere));
    if (geteuid() == 0) throw AppError(std::string(lines::notAsRoot));

    // The sensor process: this program, or the one knockbox-helper installed.
    const std::string program = options.sensorProgram.value_or(processValues().executablePath.string());
    const SystemPlaces system = systemPlaces();
    // sudo -n fails when it would have to ask: say what to run instead, before anything starts.
    if (!options.directSensor && !sudoAllows(system, program)) {
        if (mainRunLoop().stopped()) return;  // Ctrl-C meanwhile
        throw AppError(std::string(lines::sudoNeedsPassword));
    }

    Session session(options);
    std::optional<Subprocess> child;
    try {
        if (options.directSensor)
            child.emplace(program, std::vector<std::string>{"--sensor-stream"});
        else
            child.emplace(system.sudo(), std::vector<std::string>{"-n", program, "--sensor-stream"});
    } catch (...) {
        session.stop();
        throw;
    }

    RunLoop& loop = mainRunLoop();
    SensorPipeReader reader(child->output(), [&session](const AccelSample& sample) { session.receive(sample, false); });
    std::exception_ptr failure;
    try {
        logLine(lines::sensorStart);
        const double start = uptime();
        while (!loop.stopped() && !session.failed()) {
            // An ended pipe: the child died, or it closed its output and runs
            // on, silent, until the data watchdog ends the run. Never a wait
            // a signal cannot end.
            if (reader.ended() && !child->isRunning())
                throw AppError(lines::sensorProcessEnded(child->wait()));
            if (uptime() - session.lastWall() > dataWatchdog)
                throw AppError(std::string(lines::noSensorData));
            if (options.duration && uptime() - start >= *options.duration) break;
            followSensorForASlice(reader, session, loop);
        }
    } catch (...) {
        failure = std::current_exception();
    }

    reader.remove();
    child->terminateAndWait();
    child->closeOutput();
    session.stop();
    if (failure) std::rethrow_exception(failure);
    if (session.failed()) throw ReportedFailure();
}

}  // namespace knockbox
