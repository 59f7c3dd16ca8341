#pragma once
// A simulated SPU registry, the stand-in for IOKit where there is no sensor:
// accelerometer (usage 3) and gyroscope (usage 9) services with their driver
// services, 22-byte reports (Q16 X, Y, Z at bytes 6-17) played from a
// recording in real time, looping, on the run loop the devices are scheduled
// on. Reports flow only while the usage's driver is woken (reporting and
// power state 1), so the sensor's whole path runs unchanged. Faults can be
// switched on for tests.

#include <array>
#include <map>
#include <string_view>

#include "core/accel_sample.h"
#include "platform/motion_hid.h"
#include "sensor/motion_playback.h"

namespace knockbox {

struct SimulatedFaults {
    bool noReports = false;             // devices open, but never report
    std::optional<double> stallAfter{};  // reports stop this many seconds after they began
    bool openRefused = false;           // opening answers "not privileged"
    bool busy = false;                  // opening answers "exclusive access"
    bool noGyroscope = false;           // no usage-9 device service (its driver stays)
    bool wakeRefused = false;           // drivers already report, but refuse every property write
    bool closedOutput = false;          // the sensor process closes its output at once and runs on, silent
};

// The companion variable's text: comma-separated "no-reports",
// "stall-after=<seconds>", "open-refused", "busy", "no-gyroscope",
// "wake-refused", "closed-output". Throws AppError on anything else.
SimulatedFaults parseSimulatedFaults(std::string_view text);

class SimulatedMotionHid final : public MotionHid {
public:
    static constexpr int accelerometerUsage = 3;
    static constexpr int gyroscopeUsage = 9;

    struct Setup {
        bool sensorPresent = true;  // false: a registry without the SPU
        std::vector<AccelSample> motion;  // played by the accelerometer, gyros by the gyroscope
        SimulatedFaults faults;
    };

    explicit SimulatedMotionHid(Setup setup);
    ~SimulatedMotionHid() override;
    SimulatedMotionHid(const SimulatedMotionHid&) = delete;
    SimulatedMotionHid& operator=(const SimulatedMotionHid&) = delete;

    HidReturn matching(const std::string& className,
                       std::vector<std::unique_ptr<RegistryService>>& services) override;
    std::unique_ptr<HidDevice> createDevice(RegistryService& service) override;
    double ticksToSeconds(std::uint64_t ticks) const override;
    const SimulatedFaults& faults() const { return setup_.faults; }

    // For tests: hands one report to the open, scheduled device of that usage
    // as the device itself would.
    void deliver(int usage, std::span<const std::uint8_t> report, std::uint64_t timestamp,
                 HidReturn result = hidReturn::success, HidReportType type = HidReportType::input);
    // A 22-byte report carrying x, y, z.
    static std::array<std::uint8_t, 22> report(double x, double y, double z);
    static std::uint64_t ticks(double seconds);

    struct PropertyWrite {
        int usage;
        std::string name;
        RegistryValue value;
    };
    // Every property write to a driver service, in order: the order in which
    // a real driver is woken matters, and only the writes show it.
    const std::vector<PropertyWrite>& driverWrites() const { return driverWrites_; }

private:
    struct Entry {
        std::string className;
        std::map<std::string, RegistryValue> properties;
        int usage = 0;
        bool real = false;  // the sensor's own services, not look-alikes
    };
    class Service;
    class Device;

    Entry& add(std::string className, int usagePage, int usage, int reportSize, std::string transport,
               bool real);
    Entry* realEntry(const std::string& className, int usage);
    const Entry* realEntry(const std::string& className, int usage) const;
    HidReturn write(Entry& entry, const std::string& name, const RegistryValue& value);
    std::optional<RegistryValue> driverProperty(int usage, const std::string& name) const;
    bool driverAwake(int usage) const;
    Device* activeDevice(int usage) const;
    void scheduled(Device& device, bool on);
    void play(const AccelSample& sample, double due);

    Setup setup_;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<Device*> devices_;
    std::vector<PropertyWrite> driverWrites_;
    MotionPlayback playback_;
};

}  // namespace knockbox
