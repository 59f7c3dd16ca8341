#include "sensor/simulated_motion_hid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/app_error.h"
#include "core/line_text.h"
#include "core/number_text.h"
#include "platform/run_loop.h"

namespace knockbox {
namespace {

std::optional<std::int64_t> integer(const std::optional<RegistryValue>& value) {
    if (!value) return std::nullopt;
    if (auto v = std::get_if<std::int32_t>(&*value)) return *v;
    if (auto v = std::get_if<std::int64_t>(&*value)) return *v;
    return std::nullopt;
}

void putQ16(std::uint8_t* bytes, double value) {
    const double scaled = std::clamp(std::round(value * 65536.0), -2147483648.0, 2147483647.0);
    const auto raw = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(raw >> (8 * i));
}

}  // namespace

SimulatedFaults parseSimulatedFaults(std::string_view text) {
    SimulatedFaults faults;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view word = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        constexpr std::string_view stall = "stall-after=";
        if (word.empty()) continue;
        if (word == "no-reports") faults.noReports = true;
        else if (word == "open-refused") faults.openRefused = true;
        else if (word == "busy") faults.busy = true;
        else if (word == "no-gyroscope") faults.noGyroscope = true;
        else if (word == "wake-refused") faults.wakeRefused = true;
        else if (word == "closed-output") faults.closedOutput = true;
        else if (word.starts_with(stall) && parseNumber(word.substr(stall.size())).value_or(-1) >= 0)
            faults.stallAfter = *parseNumber(word.substr(stall.size()));
        else
            throw AppError("KNOCKBOX_SIMULATED_SPU_FAULTS: nieznana usterka \"" + outsideText(word) +
                           "\". Dostępne: no-reports, stall-after=<s>, open-refused, busy, "
                           "no-gyroscope, wake-refused, closed-output.");
    }
    return faults;
}

class SimulatedMotionHid::Service final : public RegistryService {
public:
    Service(SimulatedMotionHid& hid, Entry& entry) : hid_(hid), entry_(entry) {}
    std::optional<RegistryValue> property(const std::string& name) const override {
        auto it = entry_.properties.find(name);
        if (it == entry_.properties.end()) return std::nullopt;
        return it->second;
    }
    HidReturn setProperty(const std::string& name, const RegistryValue& value) override {
        return hid_.write(entry_, name, value);
    }
    Entry& entry() const { return entry_; }

private:
    SimulatedMotionHid& hid_;
    Entry& entry_;
};

class SimulatedMotionHid::Device final : public HidDevice {
public:
    Device(SimulatedMotionHid& hid, Entry& entry) : hid_(hid), entry_(entry) {
        hid_.devices_.push_back(this);
    }
    ~Device() override {
        // IOKit's device would go on running on freed memory: a fault of the
        // caller's that the simulation makes plain.
        if (delivering_) {
            std::fputs("simulated SPU: a device was released inside its own report callback\n", stderr);
            std::abort();
        }
        if (loop_) hid_.scheduled(*this, false);
        std::erase(hid_.devices_, this);
    }
    HidReturn open() override {
        if (entry_.real && hid_.setup_.faults.openRefused) return hidReturn::notPrivileged;
        if (entry_.real && hid_.setup_.faults.busy) return hidReturn::exclusiveAccess;
        open_ = true;
        return hidReturn::success;
    }
    void close() override { open_ = false; }
    void registerInputReport(std::span<std::uint8_t> buffer, HidReportCallback callback) override {
        buffer_ = buffer;
        callback_ = std::move(callback);
    }
    void unregisterInputReport() override {
        buffer_ = {};
        callback_ = nullptr;
    }
    void schedule(RunLoop& loop) override {
        if (loop_) return;
        loop_ = &loop;
        hid_.scheduled(*this, true);
    }
    void unschedule(RunLoop&) override {
        if (!loop_) return;
        hid_.scheduled(*this, false);
        loop_ = nullptr;
    }

    bool active() const { return open_ && loop_ && callback_ && entry_.real; }
    int usage() const { return entry_.usage; }
    RunLoop* loop() const { return loop_; }
    void deliver(std::span<const std::uint8_t> report, std::uint64_t timestamp, HidReturn result,
                 HidReportType type) {
        // Like IOKit: the report lands in the client's buffer, cut to its size.
        const std::size_t length = std::min(report.size(), buffer_.size());
        if (length > 0) std::memcpy(buffer_.data(), report.data(), length);
        HidReportCallback callback = callback_;  // the callback may unregister itself
        delivering_ = true;
        struct Delivered {
            bool& delivering;
            ~Delivered() { delivering = false; }  // also when the callback throws
        } delivered{delivering_};
        callback(result, type, std::span<const std::uint8_t>(buffer_.data(), length), timestamp);
    }

private:
    SimulatedMotionHid& hid_;
    Entry& entry_;
    bool open_ = false;
    RunLoop* loop_ = nullptr;
    std::span<std::uint8_t> buffer_;
    HidReportCallback callback_;
    bool delivering_ = false;  // inside the callback
};

SimulatedMotionHid::SimulatedMotionHid(Setup setup) : setup_(std::move(setup)), playback_(std::move(setup_.motion)) {
    if (!setup_.sensorPresent) return;
    // Look-alikes first: each differs from the accelerometer in one matched property.
    add("AppleSPUHIDDevice", 0xFF0C, 3, 22, "SPU", false);
    add("AppleSPUHIDDevice", 0xFF00, 3, 64, "SPU", false);
    add("AppleSPUHIDDevice", 0xFF00, 3, 22, "USB", false);
    add("AppleSPUHIDDevice", 0xFF00, 5, 22, "SPU", false);
    add("AppleSPUHIDDevice", 0xFF00, accelerometerUsage, 22, "SPU", true);
    if (!setup_.faults.noGyroscope) add("AppleSPUHIDDevice", 0xFF00, gyroscopeUsage, 22, "SPU", true);

    const bool awake = setup_.faults.wakeRefused;
    for (int usage : {5, accelerometerUsage, gyroscopeUsage}) {
        Entry& driver = add("AppleSPUHIDDriver", 0xFF00, usage, 0, "SPU", usage != 5);
        driver.properties.erase("MaxInputReportSize");
        driver.properties["SensorPropertyReportingState"] = std::int32_t{awake ? 1 : 0};
        driver.properties["SensorPropertyPowerState"] = std::int32_t{awake ? 1 : 0};
        driver.properties["ReportInterval"] = std::int32_t{awake ? 1250 : 20000};
    }
}

SimulatedMotionHid::~SimulatedMotionHid() = default;

SimulatedMotionHid::Entry& SimulatedMotionHid::add(std::string className, int usagePage, int usage,
                                                   int reportSize, std::string transport, bool real) {
    auto entry = std::make_unique<Entry>();
    entry->className = std::move(className);
    entry->usage = usage;
    entry->real = real;
    entry->properties["PrimaryUsagePage"] = std::int32_t{usagePage};
    entry->properties["PrimaryUsage"] = std::int32_t{usage};
    entry->properties["MaxInputReportSize"] = std::int32_t{reportSize};
    entry->properties["Transport"] = std::move(transport);
    entries_.push_back(std::move(entry));
    return *entries_.back();
}

HidReturn SimulatedMotionHid::matching(const std::string& className,
                                       std::vector<std::unique_ptr<RegistryService>>& services) {
    services.clear();
    for (auto& entry : entries_)
        if (entry->className == className) services.push_back(std::make_unique<Service>(*this, *entry));
    return hidReturn::success;
}

std::unique_ptr<HidDevice> SimulatedMotionHid::createDevice(RegistryService& service) {
    auto* ours = dynamic_cast<Service*>(&service);
    if (!ours || ours->entry().className != "AppleSPUHIDDevice") return nullptr;
    return std::make_unique<Device>(*this, ours->entry());
}

double SimulatedMotionHid::ticksToSeconds(std::uint64_t ticks) const {
    return static_cast<double>(ticks) * 1e-9;
}

std::uint64_t SimulatedMotionHid::ticks(double seconds) {
    return static_cast<std::uint64_t>(std::llround(seconds * 1e9));
}

std::array<std::uint8_t, 22> SimulatedMotionHid::report(double x, double y, double z) {
    std::array<std::uint8_t, 22> bytes{};
    bytes[0] = 0x01;  // leading bytes carry no motion; not zero, so nothing relies on them
    putQ16(&bytes[6], x);
    putQ16(&bytes[10], y);
    putQ16(&bytes[14], z);
    return bytes;
}

HidReturn SimulatedMotionHid::write(Entry& entry, const std::string& name, const RegistryValue& value) {
    const bool driver = entry.className == "AppleSPUHIDDriver";
    if (driver) driverWrites_.push_back({entry.usage, name, value});
    if (driver && setup_.faults.wakeRefused) return hidReturn::notPrivileged;
    entry.properties[name] = value;
    return hidReturn::success;
}

SimulatedMotionHid::Entry* SimulatedMotionHid::realEntry(const std::string& className, int usage) {
    for (auto& entry : entries_)
        if (entry->real && entry->className == className && entry->usage == usage) return entry.get();
    return nullptr;
}

const SimulatedMotionHid::Entry* SimulatedMotionHid::realEntry(const std::string& className,
                                                               int usage) const {
    return const_cast<SimulatedMotionHid*>(this)->realEntry(className, usage);
}

std::optional<RegistryValue> SimulatedMotionHid::driverProperty(int usage, const std::string& name) const {
    const Entry* driver = realEntry("AppleSPUHIDDriver", usage);
    if (!driver) return std::nullopt;
    auto it = driver->properties.find(name);
    if (it == driver->properties.end()) return std::nullopt;
    return it->second;
}

bool SimulatedMotionHid::driverAwake(int usage) const {
    return integer(driverProperty(usage, "SensorPropertyReportingState")) == 1 &&
           integer(driverProperty(usage, "SensorPropertyPowerState")) == 1;
}

SimulatedMotionHid::Device* SimulatedMotionHid::activeDevice(int usage) const {
    for (Device* device : devices_)
        if (device->usage() == usage && device->active()) return device;
    return nullptr;
}

void SimulatedMotionHid::deliver(int usage, std::span<const std::uint8_t> report, std::uint64_t timestamp,
                                 HidReturn result, HidReportType type) {
    if (Device* device = activeDevice(usage)) device->deliver(report, timestamp, result, type);
}

void SimulatedMotionHid::scheduled(Device& device, bool on) {
    if (!device.loop()) return;
    const bool anyOther = std::any_of(devices_.begin(), devices_.end(),
                                      [&](const Device* d) { return d != &device && d->loop(); });
    // Playback starts with the first scheduled device and runs while any is.
    if (on && !playback_.running())
        playback_.start(*device.loop(), [this](const AccelSample& sample, double due) { play(sample, due); });
    else if (!on && !anyOther)
        playback_.stop();
}

void SimulatedMotionHid::play(const AccelSample& sample, double due) {
    const SimulatedFaults& faults = setup_.faults;
    // Reports a sleeping driver or a stalled sensor would have sent are lost.
    if (faults.noReports || (faults.stallAfter && due - playback_.origin() >= *faults.stallAfter)) return;
    const std::uint64_t stamp = ticks(due);
    // The gyroscope's report first, so the accelerometer sample of the same
    // instant finds it.
    if (sample.gyro && driverAwake(gyroscopeUsage)) {
        const auto bytes = report(sample.gyro->x, sample.gyro->y, sample.gyro->z);
        deliver(gyroscopeUsage, bytes, stamp);
    }
    if (driverAwake(accelerometerUsage)) {
        const auto bytes = report(sample.x, sample.y, sample.z);
        deliver(accelerometerUsage, bytes, stamp);
    }
}

}  // namespace knockbox
