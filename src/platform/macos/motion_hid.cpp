// The motion HID over IOKit and CoreFoundation: one or two calls per
// operation, nothing more. Services are io_service_t handles released with
// their wrapper; devices are IOHIDDeviceRef clients scheduled on the calling
// thread's CoreFoundation run loop, which the player's run loop turns.
#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>
#include <IOKit/hid/IOHIDLib.h>
#include <mach/mach_time.h>

#include <cstring>
#include <memory>
#include <type_traits>

#include "platform/macos/callback_exception.h"
#include "platform/motion_hid.h"

namespace knockbox {

static_assert(hidReturn::success == static_cast<HidReturn>(kIOReturnSuccess));
static_assert(hidReturn::error == static_cast<HidReturn>(kIOReturnError));
static_assert(hidReturn::notPrivileged == static_cast<HidReturn>(kIOReturnNotPrivileged));
static_assert(hidReturn::exclusiveAccess == static_cast<HidReturn>(kIOReturnExclusiveAccess));
static_assert(hidReturn::notPermitted == static_cast<HidReturn>(kIOReturnNotPermitted));

namespace {

struct CFReleaser {
    void operator()(CFTypeRef ref) const {
        if (ref) CFRelease(ref);
    }
};
using CFHolder = std::unique_ptr<std::remove_pointer_t<CFTypeRef>, CFReleaser>;

CFHolder cfString(const std::string& text) {
    return CFHolder(CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8));
}

std::optional<RegistryValue> fromCF(CFTypeRef value) {
    if (!value) return std::nullopt;
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFNumberGetTypeID()) {
        const auto number = static_cast<CFNumberRef>(value);
        if (CFNumberIsFloatType(number)) {
            double v = 0;
            CFNumberGetValue(number, kCFNumberDoubleType, &v);
            return v;
        }
        if (CFNumberGetByteSize(number) <= 4) {
            std::int32_t v = 0;
            CFNumberGetValue(number, kCFNumberSInt32Type, &v);
            return v;
        }
        std::int64_t v = 0;
        CFNumberGetValue(number, kCFNumberSInt64Type, &v);
        return v;
    }
    if (type == CFBooleanGetTypeID()) return CFBooleanGetValue(static_cast<CFBooleanRef>(value)) != 0;
    if (type == CFStringGetTypeID()) {
        const auto text = static_cast<CFStringRef>(value);
        const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!CFStringGetCString(text, bytes.data(), size, kCFStringEncodingUTF8)) return std::nullopt;
        bytes.resize(std::strlen(bytes.c_str()));
        return bytes;
    }
    return std::nullopt;  // data, arrays, dictionaries: nothing we read or restore
}

CFHolder toCF(const RegistryValue& value) {
    if (auto v = std::get_if<std::int32_t>(&value)) return CFHolder(CFNumberCreate(nullptr, kCFNumberSInt32Type, v));
    if (auto v = std::get_if<std::int64_t>(&value)) return CFHolder(CFNumberCreate(nullptr, kCFNumberSInt64Type, v));
    if (auto v = std::get_if<double>(&value)) return CFHolder(CFNumberCreate(nullptr, kCFNumberDoubleType, v));
    if (auto v = std::get_if<bool>(&value)) return CFHolder(CFRetain(*v ? kCFBooleanTrue : kCFBooleanFalse));
    return cfString(std::get<std::string>(value));
}

// Owns one io_service_t reference; not copyable, so it is released once.
class IOKitService final : public RegistryService {
public:
    explicit IOKitService(io_service_t service) : service_(service) {}
    ~IOKitService() override { IOObjectRelease(service_); }
    IOKitService(const IOKitService&) = delete;
    IOKitService& operator=(const IOKitService&) = delete;
    io_service_t service() const { return service_; }

    std::optional<RegistryValue> property(const std::string& name) const override {
        const CFHolder key = cfString(name);
        const CFHolder value(
            IORegistryEntryCreateCFProperty(service_, static_cast<CFStringRef>(key.get()), kCFAllocatorDefault, 0));
        return fromCF(value.get());
    }
    HidReturn setProperty(const std::string& name, const RegistryValue& value) override {
        const CFHolder key = cfString(name);
        const CFHolder cfValue = toCF(value);
        return IORegistryEntrySetCFProperty(service_, static_cast<CFStringRef>(key.get()), cfValue.get());
    }

private:
    io_service_t service_;
};

// Owns one IOHIDDeviceRef. IOKit keeps a pointer to this object (the callback
// context) while a report callback is registered and the device is scheduled,
// so the object is not copyable and its destructor undoes, in reverse order,
// whatever the caller left: unschedule, unregister, close.
class IOKitDevice final : public HidDevice {
public:
    explicit IOKitDevice(IOHIDDeviceRef device) : device_(device) {}
    ~IOKitDevice() override {
        unscheduleFromLoop();
        if (registered_) unregisterInputReport();
        if (open_) close();
        CFRelease(device_);
    }
    IOKitDevice(const IOKitDevice&) = delete;
    IOKitDevice& operator=(const IOKitDevice&) = delete;

    HidReturn open() override {
        const IOReturn result = IOHIDDeviceOpen(device_, kIOHIDOptionsTypeNone);
        if (result == kIOReturnSuccess) open_ = true;
        return result;
    }
    void close() override {
        if (!open_) return;
        IOHIDDeviceClose(device_, kIOHIDOptionsTypeNone);
        open_ = false;
    }

    void registerInputReport(std::span<std::uint8_t> buffer, HidReportCallback callback) override {
        buffer_ = buffer;
        callback_ = std::move(callback);
        IOHIDDeviceRegisterInputReportWithTimeStampCallback(device_, buffer_.data(),
                                                            static_cast<CFIndex>(buffer_.size()), &report, this);
        registered_ = true;
    }
    void unregisterInputReport() override {
        // IOKit tells registrations apart by their context: a null callback
        // with the same context (this) removes ours; a null context would not.
        if (registered_)
            IOHIDDeviceRegisterInputReportWithTimeStampCallback(device_, buffer_.data(),
                                                                static_cast<CFIndex>(buffer_.size()), nullptr, this);
        registered_ = false;
        callback_ = nullptr;
    }
    void schedule(RunLoop&) override {
        unscheduleFromLoop();
        runLoop_ = CFRunLoopGetCurrent();
        IOHIDDeviceScheduleWithRunLoop(device_, runLoop_, kCFRunLoopDefaultMode);
    }
    void unschedule(RunLoop&) override { unscheduleFromLoop(); }

private:
    void unscheduleFromLoop() {
        if (runLoop_) IOHIDDeviceUnscheduleFromRunLoop(device_, runLoop_, kCFRunLoopDefaultMode);
        runLoop_ = nullptr;
    }

    // Called by IOKit from the run loop. Whatever the callback throws is
    // kept and rethrown by the wait once the run loop has returned: it must
    // not unwind through CoreFoundation.
    static void report(void* context, IOReturn result, void*, IOHIDReportType type, std::uint32_t,
                       std::uint8_t* bytes, CFIndex length, std::uint64_t timeStamp) noexcept {
        auto* self = static_cast<IOKitDevice*>(context);
        if (!self || !self->callback_) return;
        const HidReportType kind = type == kIOHIDReportTypeInput    ? HidReportType::input
                                   : type == kIOHIDReportTypeOutput ? HidReportType::output
                                                                    : HidReportType::feature;
        try {
            self->callback_(result, kind,
                            std::span<const std::uint8_t>(bytes, length > 0 ? static_cast<std::size_t>(length) : 0),
                            timeStamp);
        } catch (...) {
            callbackException::keep(std::current_exception());
        }
    }

    IOHIDDeviceRef device_;
    CFRunLoopRef runLoop_ = nullptr;  // where the device is scheduled, if it is
    bool open_ = false;
    bool registered_ = false;
    std::span<std::uint8_t> buffer_;
    HidReportCallback callback_;
};

class IOKitMotionHid final : public MotionHid {
public:
    HidReturn matching(const std::string& className,
                       std::vector<std::unique_ptr<RegistryService>>& services) override {
        services.clear();
        io_iterator_t iterator = 0;
        // The matching dictionary is consumed by the call.
        const kern_return_t result =
            IOServiceGetMatchingServices(MACH_PORT_NULL, IOServiceMatching(className.c_str()), &iterator);
        if (result != KERN_SUCCESS) return result;
        while (const io_service_t service = IOIteratorNext(iterator))
            services.push_back(std::make_unique<IOKitService>(service));
        IOObjectRelease(iterator);
        return kIOReturnSuccess;
    }

    std::unique_ptr<HidDevice> createDevice(RegistryService& service) override {
        const IOHIDDeviceRef device =
            IOHIDDeviceCreate(kCFAllocatorDefault, static_cast<IOKitService&>(service).service());
        if (!device) return nullptr;
        return std::make_unique<IOKitDevice>(device);
    }

    double ticksToSeconds(std::uint64_t ticks) const override {
        static const double secondsPerMachTick = [] {
            mach_timebase_info_data_t timebase{};
            mach_timebase_info(&timebase);
            return static_cast<double>(timebase.numer) / timebase.denom * 1e-9;
        }();
        return static_cast<double>(ticks) * secondsPerMachTick;
    }
};

}  // namespace

std::unique_ptr<MotionHid> makeSystemMotionHid() { return std::make_unique<IOKitMotionHid>(); }

}  // namespace knockbox
