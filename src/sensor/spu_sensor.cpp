#include "sensor/spu_sensor.h"

#include <cmath>
#include <cstdio>

#include "platform/log_line.h"
#include "platform/monotonic_clock.h"

namespace knockbox {
namespace {

constexpr std::int64_t vendorUsagePage = 0xFF00;
constexpr int accelerometerUsage = 3;
constexpr int gyroscopeUsage = 9;
constexpr double slowRate = 450;       // reports per second below which a sensor counts as slow
constexpr double stalledAfter = 0.25;  // s without a report before a full wake

const char* const driverProperties[] = {"SensorPropertyReportingState", "SensorPropertyPowerState",
                                        "ReportInterval"};

bool isNumber(const std::optional<RegistryValue>& value, std::int64_t expected) {
    if (!value) return false;
    if (auto v = std::get_if<std::int32_t>(&*value)) return *v == expected;
    if (auto v = std::get_if<std::int64_t>(&*value)) return *v == expected;
    if (auto v = std::get_if<double>(&*value)) return *v == static_cast<double>(expected);
    return false;
}

bool isNumber(const std::optional<RegistryValue>& value) {
    return value && !std::holds_alternative<std::string>(*value) && !std::holds_alternative<bool>(*value);
}

bool isString(const std::optional<RegistryValue>& value, std::string_view expected) {
    if (!value) return false;
    auto text = std::get_if<std::string>(&*value);
    return text && *text == expected;
}

// Signed 32-bit little-endian Q16 fixed point.
double q16(std::span<const std::uint8_t> report, std::size_t offset) {
    std::uint32_t raw = 0;
    for (std::size_t i = 0; i < 4; ++i) raw |= static_cast<std::uint32_t>(report[offset + i]) << (8 * i);
    return static_cast<double>(static_cast<std::int32_t>(raw)) / 65536.0;
}

}  // namespace

std::string describe(HidReturn code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(code));
    if (code == hidReturn::notPrivileged || code == hidReturn::notPermitted)
        return std::string("odmowa uprawnień (") + hex + ")";
    if (code == hidReturn::exclusiveAccess) return std::string("urządzenie zajęte przez inny proces (") + hex + ")";
    return hex;
}

SPUSensorError SPUSensorError::enumeration(HidReturn code) {
    return {Case::enumeration, code, "Nie można wyliczyć urządzeń SPU: " + describe(code) + "."};
}

SPUSensorError SPUSensorError::open(HidReturn code) {
    return {Case::open, code,
            "IOHIDDeviceOpen akcelerometru SPU: " + describe(code) +
                ". W razie odmowy dostępu uruchom helper sensora przez sudo; nie jest potrzebne sudo do "
                "audio."};
}

SPUSensorError SPUSensorError::unavailable() {
    return {Case::unavailable, 0,
            "Brak akcelerometru AppleSPUHIDDevice (SPU, usage 3, raport 22 B). Wymagany jest obsługiwany "
            "MacBook z Apple Silicon."};
}

SPUSensorError SPUSensorError::creation() {
    return {Case::creation, 0, "IOHIDDeviceCreate nie utworzył klienta akcelerometru SPU."};
}

SPUSensor::SPUSensor(MotionHid& hid, RunLoop& loop, Log log)
    : hid_(hid), loop_(loop), log_(std::move(log)) {}

SPUSensor::~SPUSensor() {
    stop();
    if (retiring) loop_.cancel(*retiring);
}

void SPUSensor::log(const std::string& line) const {
    if (log_) log_(line);
    else logLine(line);
}

// Matching needs no root, so a failed enumeration simply means "absent".
bool SPUSensor::available(MotionHid& hid) {
    try {
        SPUSensor probe(hid, mainRunLoop(), [](std::string_view) {});
        return probe.findSPUService(accelerometerUsage) != nullptr;
    } catch (const SPUSensorError&) {
        return false;
    }
}

std::unique_ptr<RegistryService> SPUSensor::findSPUService(int usage) {
    std::vector<std::unique_ptr<RegistryService>> services;
    if (const HidReturn result = hid_.matching("AppleSPUHIDDevice", services); result != hidReturn::success)
        throw SPUSensorError::enumeration(result);
    for (auto& service : services) {
        if (isNumber(service->property("PrimaryUsagePage"), vendorUsagePage) &&
            isNumber(service->property("PrimaryUsage"), usage) &&
            isNumber(service->property("MaxInputReportSize"), static_cast<std::int64_t>(reportLength)) &&
            isString(service->property("Transport"), "SPU"))
            return std::move(service);  // the others are released with the list
    }
    return nullptr;
}

void SPUSensor::start(SampleHandler handler) {
    if (device) return;
    std::unique_ptr<RegistryService> service = findSPUService(accelerometerUsage);
    if (!service) throw SPUSensorError::unavailable();
    std::unique_ptr<HidDevice> accelerometer = hid_.createDevice(*service);
    if (!accelerometer) throw SPUSensorError::creation();
    if (const HidReturn result = accelerometer->open(); result != hidReturn::success)
        throw SPUSensorError::open(result);

    device = std::move(accelerometer);
    openGyroscope();
    latestGyro.reset();
    onSample = std::move(handler);
    runLoop = &loop_;
    findIMUDrivers(gyroDevice != nullptr);

    const double now = uptime();
    lastArrival = lastGyroArrival = lastRateCheck = now;
    rateBucket = gyroRateBucket = 0;
    warnedWakeFailure = false;
    wakeDrivers(true, std::nullopt);

    device->registerInputReport(reportBuffer, [this](HidReturn result, HidReportType type,
                                                     std::span<const std::uint8_t> report,
                                                     std::uint64_t timestamp) {
        receive(result, type, report, timestamp);
    });
    device->schedule(*runLoop);
    if (gyroDevice) {
        gyroDevice->registerInputReport(gyroReportBuffer, [this](HidReturn result, HidReportType type,
                                                                 std::span<const std::uint8_t> report,
                                                                 std::uint64_t timestamp) {
            receiveGyro(result, type, report, timestamp);
        });
        gyroDevice->schedule(*runLoop);
    }
    keepAlive = runLoop->schedule(keepAliveInterval, [this] { checkKeepAlive(); });
}

void SPUSensor::openGyroscope() {
    const std::string alone = "; działa sam akcelerometr.";
    std::unique_ptr<RegistryService> service;
    try {
        service = findSPUService(gyroscopeUsage);
    } catch (const SPUSensorError& error) {
        log(std::string("SPU: wyliczenie żyroskopu: ") + error.what() + alone);
        return;
    }
    if (!service) {
        log("SPU: brak opcjonalnego żyroskopu usage 9" + alone);
        return;
    }
    std::unique_ptr<HidDevice> gyroscope = hid_.createDevice(*service);
    if (!gyroscope) {
        log("SPU: IOHIDDeviceCreate żyroskopu nie powiodło się" + alone);
        return;
    }
    if (const HidReturn result = gyroscope->open(); result != hidReturn::success) {
        log("SPU: IOHIDDeviceOpen żyroskopu: " + describe(result) + alone);
        return;
    }
    gyroDevice = std::move(gyroscope);
}

void SPUSensor::findIMUDrivers(bool includeGyro) {
    std::vector<std::unique_ptr<RegistryService>> services;
    if (hid_.matching("AppleSPUHIDDriver", services) != hidReturn::success) services.clear();
    for (auto& service : services) {
        const auto usage = service->property("PrimaryUsage");
        if (!isNumber(usage) || !isNumber(service->property("PrimaryUsagePage"), vendorUsagePage) ||
            !isString(service->property("Transport"), "SPU"))
            continue;
        int kept = 0;
        if (isNumber(usage, accelerometerUsage)) kept = accelerometerUsage;
        else if (includeGyro && isNumber(usage, gyroscopeUsage)) kept = gyroscopeUsage;
        if (!kept) continue;
        Driver driver{std::move(service), kept, {}};
        for (const char* name : driverProperties)
            if (auto value = driver.service->property(name)) driver.previous.emplace(name, *value);
        drivers.push_back(std::move(driver));
    }
}

void SPUSensor::wakeDrivers(bool full, std::optional<bool> gyroFull) {
    std::optional<HidReturn> failure;
    auto set = [&](Driver& driver, const char* name, std::int32_t value) {
        const HidReturn result = driver.service->setProperty(name, value);
        if (result != hidReturn::success && !failure) failure = result;
    };
    for (Driver& driver : drivers) {
        const bool gyro = driver.usage == gyroscopeUsage;
        if (gyro && !gyroDevice) continue;
        const bool driverFull = gyro && gyroFull ? *gyroFull : full;
        set(driver, "SensorPropertyReportingState", 1);
        set(driver, "SensorPropertyPowerState", 1);
        // A full wake first asks for a slow interval: that is what restarts a
        // sensor that went quiet; then the 800 Hz interval (1250 µs).
        if (driverFull) set(driver, "ReportInterval", 8000);
        set(driver, "ReportInterval", 1250);
    }
    if (failure && !warnedWakeFailure) {
        warnedWakeFailure = true;
        log("SPU: budzenie driverów IMU nie powiodło się: " + describe(*failure) +
            ". Jeśli brak próbek, użyj sudo dla helpera sensora.");
    }
}

double SPUSensor::sampleTime(std::uint64_t timestamp) const {
    return timestamp == 0 ? uptime() : hid_.ticksToSeconds(timestamp);
}

void SPUSensor::receive(HidReturn result, HidReportType type, std::span<const std::uint8_t> report,
                        std::uint64_t timestamp) {
    if (result != hidReturn::success || type != HidReportType::input || report.size() != reportLength) return;
    if (!onSample) return;
    lastArrival = uptime();
    ++rateBucket;
    AccelSample sample{sampleTime(timestamp), q16(report, 6), q16(report, 10), q16(report, 14), {}};
    // One gyroscope sample may go with several accelerometer samples.
    if (latestGyro && std::abs(latestGyro->t - sample.t) < gyroFreshness) sample.gyro = latestGyro;
    // The handler may stop the sensor, or throw. It runs from here, not from
    // the member that stop() clears, and the devices stop() lets go of are
    // kept, since this very call came from one of them: they are released on
    // the loop's next turn, outside every report callback. However the
    // handler ends, the sensor is left as it would be without this delivery.
    struct Delivery {
        SPUSensor& sensor;
        SampleHandler handler;
        explicit Delivery(SPUSensor& s) : sensor(s), handler(std::move(s.onSample)) { ++sensor.delivering; }
        ~Delivery() {
            --sensor.delivering;
            if (sensor.device && !sensor.onSample) sensor.onSample = std::move(handler);  // still started
            if (sensor.delivering == 0 && !sensor.retiredDevices.empty()) sensor.releaseRetiredDevicesLater();
        }
        Delivery(const Delivery&) = delete;
        Delivery& operator=(const Delivery&) = delete;
    } delivery(*this);
    delivery.handler(sample);
}

void SPUSensor::releaseRetiredDevicesLater() {
    if (retiring) return;
    retiring = loop_.schedule(0, [this] {
        loop_.cancel(*retiring);
        retiring.reset();
        retiredDevices.clear();
    });
}

void SPUSensor::receiveGyro(HidReturn result, HidReportType type, std::span<const std::uint8_t> report,
                            std::uint64_t timestamp) {
    if (result != hidReturn::success || type != HidReportType::input || report.size() != reportLength) return;
    if (!gyroDevice || !onSample) return;
    lastGyroArrival = uptime();
    ++gyroRateBucket;
    latestGyro = GyroSample{sampleTime(timestamp), q16(report, 6), q16(report, 10), q16(report, 14)};
}

void SPUSensor::checkKeepAlive() {
    if (!device) return;
    const double now = uptime();
    const double window = now - lastRateCheck;
    const bool slow = window <= 0 || rateBucket / window < slowRate;
    const bool gyroSlow = window <= 0 || gyroRateBucket / window < slowRate;
    rateBucket = gyroRateBucket = 0;
    lastRateCheck = now;
    wakeDrivers(now - lastArrival > stalledAfter || slow, now - lastGyroArrival > stalledAfter || gyroSlow);
}

void SPUSensor::stop() {
    if (keepAlive && runLoop) runLoop->cancel(*keepAlive);
    keepAlive.reset();
    onSample = nullptr;
    for (auto* open : {&device, &gyroDevice}) {
        if (!*open) continue;
        if (runLoop) (*open)->unschedule(*runLoop);
        (*open)->unregisterInputReport();
        (*open)->close();
        if (delivering > 0) retiredDevices.push_back(std::move(*open));
        open->reset();
    }
    latestGyro.reset();
    runLoop = nullptr;
    for (Driver& driver : drivers)
        for (const auto& [name, value] : driver.previous) driver.service->setProperty(name, value);
    drivers.clear();  // releases the services
}

}  // namespace knockbox
