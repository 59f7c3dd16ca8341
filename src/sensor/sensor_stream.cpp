// The sensor process: the one part of the program that needs root. It opens
// the motion sensor and writes one sample line per accelerometer report to
// standard output, each with a single unbuffered write, until it is stopped,
// its reader goes away or the sensor goes quiet.
#include "sensor/sensor_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/app_error.h"
#include "core/number_text.h"
#include "platform/log_line.h"
#include "platform/monotonic_clock.h"
#include "platform/run_loop.h"
#include "protocol/player_lines.h"
#include "sensor/motion_source.h"
#include "sensor/sample_line.h"
#include "sensor/spu_sensor.h"

namespace knockbox {
namespace {

constexpr double firstReportTimeout = 5.0;
constexpr double stallTimeout = 3.0;

}  // namespace

void streamSensor(std::optional<double> duration) {
    const std::unique_ptr<MotionHid> hid = makeMotionHid();
    if (closesSensorOutput(*hid)) {
        // The reader sees the stream end while this process runs on.
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(nowhere, STDOUT_FILENO);
        ::close(nowhere);
    }
    SPUSensor sensor(*hid);
    RunLoop& loop = mainRunLoop();
    const double start = uptime();
    double last = start;
    std::int64_t count = 0;

    sensor.start([&](const AccelSample& sample) {
        last = uptime();
        ++count;
        const std::string line = formatSampleLine(sample);
        // A short or failed write means the reader is gone (the pipe broke).
        if (write(STDOUT_FILENO, line.data(), line.size()) != static_cast<ssize_t>(line.size())) loop.stop();
    });

    while (!loop.stopped()) {
        const double now = uptime();
        if (count == 0 && now - start > firstReportTimeout) {
            sensor.stop();
            throw AppError(std::string(lines::noReports));
        }
        if (count >= 1 && now - last > stallTimeout) {
            sensor.stop();
            throw AppError(std::string(lines::streamStalled));
        }
        if (duration && now - start >= *duration) break;
        loop.runFor(RunLoop::maxSlice);
    }

    const double rate = static_cast<double>(count) / std::max(last - start, 0.001);
    logLine("Sensor: " + std::to_string(count) + " raportów, " + fixed(rate, 1) + " Hz.");
    sensor.stop();
}

}  // namespace knockbox
