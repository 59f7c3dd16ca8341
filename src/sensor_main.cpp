// knockbox-sensor: the sensor process alone, the one program that runs as
// root (knockbox-helper lets sudo run a root-owned copy of it). It is made of
// the sensor's layers and the system's libraries only, so nothing that a user
// may change is loaded into it, and it does nothing but --sensor-stream.
#include <exception>
#include <string_view>

#include "platform/log_line.h"
#include "platform/run_loop.h"
#include "platform/standard_streams.h"
#include "protocol/player_lines.h"
#include "sensor/sensor_stream.h"

int main(int argc, char** argv) {
    using namespace knockbox;
    reopenClosedStandardStreams();
    if (argc != 2 || std::string_view(argv[1]) != "--sensor-stream") {
        logLine(lines::error(lines::sensorProgramUsage));
        return 1;
    }
    try {
        setupSignals();
        streamSensor();
        return 0;
    } catch (const std::exception& error) {
        logLine(lines::error(error.what()));
        return 1;
    }
}
