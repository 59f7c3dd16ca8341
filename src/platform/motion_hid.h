#pragma once
// The motion sensor's side of IOKit HID, reduced to what the SPU sensor needs:
// registry services with their properties, HID device clients that deliver
// input reports with time stamps, and scheduling on the player's run loop.
// macOS implements it over IOKit; elsewhere the sensor layer's simulated
// registry stands in.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace knockbox {

class RunLoop;

// IOKit's return codes (IOReturn): 0 on success.
using HidReturn = std::int32_t;
namespace hidReturn {
inline constexpr HidReturn success = 0;
inline constexpr HidReturn error = static_cast<HidReturn>(0xe00002bcu);            // kIOReturnError
inline constexpr HidReturn notPrivileged = static_cast<HidReturn>(0xe00002c1u);    // kIOReturnNotPrivileged
inline constexpr HidReturn exclusiveAccess = static_cast<HidReturn>(0xe00002c5u);  // kIOReturnExclusiveAccess
inline constexpr HidReturn notPermitted = static_cast<HidReturn>(0xe00002e2u);     // kIOReturnNotPermitted
}  // namespace hidReturn

// A registry property value as read, kept so that it can be written back as it
// was (integers keep their width).
using RegistryValue = std::variant<std::int32_t, std::int64_t, double, bool, std::string>;

// One registry entry, retained while this object lives.
class RegistryService {
public:
    virtual ~RegistryService() = default;
    // Absent when the entry has no such property or its type is none of the above.
    virtual std::optional<RegistryValue> property(const std::string& name) const = 0;
    virtual HidReturn setProperty(const std::string& name, const RegistryValue& value) = 0;
};

enum class HidReportType { input, output, feature };

// result, report type, the report's bytes, time stamp in host clock ticks (0
// when the device gave none).
using HidReportCallback = std::function<void(HidReturn result, HidReportType type,
                                             std::span<const std::uint8_t> report,
                                             std::uint64_t timestamp)>;

// A HID device client for one service.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    virtual HidReturn open() = 0;
    virtual void close() = 0;
    // Reports are written into `buffer`, which the caller keeps until it
    // unregisters, and handed to the callback on the run loop the device is
    // scheduled on. What the callback throws reaches the caller of that
    // loop's wait. The device must not be destroyed inside its own callback.
    virtual void registerInputReport(std::span<std::uint8_t> buffer, HidReportCallback callback) = 0;
    virtual void unregisterInputReport() = 0;
    virtual void schedule(RunLoop& loop) = 0;
    virtual void unschedule(RunLoop& loop) = 0;
};

class MotionHid {
public:
    virtual ~MotionHid() = default;
    // The services of that registry class, or the enumeration's error code.
    virtual HidReturn matching(const std::string& className,
                               std::vector<std::unique_ptr<RegistryService>>& services) = 0;
    // A device client for the service; null when none can be created.
    virtual std::unique_ptr<HidDevice> createDevice(RegistryService& service) = 0;
    // Report time stamps in seconds on the clock of uptime().
    virtual double ticksToSeconds(std::uint64_t ticks) const = 0;
};

#ifdef __APPLE__
// The system's HID registry: IOKit.
std::unique_ptr<MotionHid> makeSystemMotionHid();
#endif

}  // namespace knockbox
