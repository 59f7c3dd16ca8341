#pragma once
// The motion sensor of Apple Silicon MacBooks: the SPU accelerometer (HID
// usage page 0xFF00, usage 3, 22-byte reports) and, where present, its
// gyroscope (usage 9). `SPUSensor` finds and opens them, wakes their IMU
// drivers to report at 800 Hz, turns each accelerometer report into an
// `AccelSample` with the freshest gyroscope sample attached, and keeps the
// drivers awake with a 0.5 s check. Everything runs on one run loop, so the
// consumer is called synchronously on that loop's thread.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/accel_sample.h"
#include "platform/motion_hid.h"
#include "platform/run_loop.h"

namespace knockbox {

// "0x%08x" of the code; permission and exclusive-access codes say so in words.
std::string describe(HidReturn code);

class SPUSensorError : public std::runtime_error {
public:
    enum class Case { enumeration, open, unavailable, creation };

    static SPUSensorError enumeration(HidReturn code);
    static SPUSensorError open(HidReturn code);
    static SPUSensorError unavailable();
    static SPUSensorError creation();

    Case kind() const { return kind_; }
    HidReturn code() const { return code_; }

private:
    SPUSensorError(Case kind, HidReturn code, const std::string& message)
        : std::runtime_error(message), kind_(kind), code_(code) {}
    Case kind_;
    HidReturn code_;
};

class SPUSensor {
public:
    using SampleHandler = std::function<void(const AccelSample&)>;
    using Log = std::function<void(std::string_view line)>;

    // The HID and the run loop must outlive the sensor. Lines go to standard
    // error unless another log is given.
    explicit SPUSensor(MotionHid& hid, RunLoop& loop = mainRunLoop(), Log log = {});
    ~SPUSensor();
    SPUSensor(const SPUSensor&) = delete;
    SPUSensor& operator=(const SPUSensor&) = delete;

    // Whether a matching accelerometer service exists; never throws, needs no root.
    static bool available(MotionHid& hid);

    // Opens and schedules everything and returns at once; samples arrive while
    // the run loop turns. Throws SPUSensorError. Does nothing while started.
    void start(SampleHandler onSample);
    // Undoes start and restores the drivers' properties; safe when not
    // started, and from inside the sample handler (the devices are then
    // released on the loop's next turn). What the handler throws passes on to
    // the caller of the loop's wait and leaves the sensor as it was.
    void stop();

    static constexpr std::size_t reportLength = 22;
    static constexpr double keepAliveInterval = 0.5;
    static constexpr double gyroFreshness = 0.015;  // s between a gyro sample and its accel sample

private:
    struct Driver {
        std::unique_ptr<RegistryService> service;
        int usage;
        std::map<std::string, RegistryValue> previous;
    };

    std::unique_ptr<RegistryService> findSPUService(int usage);
    void openGyroscope();
    void findIMUDrivers(bool includeGyro);
    void wakeDrivers(bool full, std::optional<bool> gyroFull);
    void receive(HidReturn result, HidReportType type, std::span<const std::uint8_t> report,
                 std::uint64_t timestamp);
    void receiveGyro(HidReturn result, HidReportType type, std::span<const std::uint8_t> report,
                     std::uint64_t timestamp);
    void checkKeepAlive();
    double sampleTime(std::uint64_t timestamp) const;
    void log(const std::string& line) const;

    MotionHid& hid_;
    RunLoop& loop_;
    Log log_;

    std::array<std::uint8_t, 4096> reportBuffer{};
    std::array<std::uint8_t, 4096> gyroReportBuffer{};
    std::unique_ptr<HidDevice> device;
    std::unique_ptr<HidDevice> gyroDevice;
    std::optional<GyroSample> latestGyro;
    RunLoop* runLoop = nullptr;
    std::optional<RunLoop::Token> keepAlive;
    SampleHandler onSample;
    std::vector<Driver> drivers;
    double lastArrival = 0;
    double lastGyroArrival = 0;
    double lastRateCheck = 0;
    int rateBucket = 0;
    int gyroRateBucket = 0;
    bool warnedWakeFailure = false;
    void releaseRetiredDevicesLater();

    int delivering = 0;  // a sample handler is running
    std::vector<std::unique_ptr<HidDevice>> retiredDevices;  // stopped during a delivery
    std::optional<RunLoop::Token> retiring;                  // releases them on the loop's next turn
};

}  // namespace knockbox
