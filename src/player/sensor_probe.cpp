// The sensor's own modes: --probe only looks for it (no root needed),
// --check-access opens and closes it once, --sensor-stream is the sensor
// process (sensor/sensor_stream, also the program knockbox-sensor).

#include "core/app_error.h"
#include "platform/log_line.h"
#include "player/run_modes.h"
#include "sensor/motion_source.h"
#include "sensor/sensor_stream.h"
#include "sensor/spu_sensor.h"

namespace knockbox {

void probe(const Options&) {
    if (!SPUSensor::available(*makeMotionHid()))
        throw AppError("SPU accel 0xFF00/3, report22: NIE ZNALEZIONO.");
    logLine("SPU accel 0xFF00/3, report22: obecny. Odczyt raportów sprawdzany przy uruchomieniu.");
}

void checkAccess(const Options&) {
    const std::unique_ptr<MotionHid> hid = makeMotionHid();
    SPUSensor sensor(*hid);
    sensor.start([](const AccelSample&) {});
    sensor.stop();
}

void sensorStream(const Options& options) { streamSensor(options.duration); }

}  // namespace knockbox
