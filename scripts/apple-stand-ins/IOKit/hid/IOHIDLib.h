#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types, signatures,
// nullability (IOHIDDevice.h is audited) and availability.
#include <IOKit/IOKitLib.h>
CF_ASSUME_NONNULL_BEGIN
typedef struct __IOHIDDevice* IOHIDDeviceRef;
typedef enum { kIOHIDReportTypeInput = 0, kIOHIDReportTypeOutput, kIOHIDReportTypeFeature, kIOHIDReportTypeCount } IOHIDReportType;
enum { kIOHIDOptionsTypeNone = 0 };
typedef void (*IOHIDReportWithTimeStampCallback)(void* _Nullable context, IOReturn result, void* _Nullable sender,
    IOHIDReportType type, uint32_t reportID, uint8_t* report, CFIndex reportLength, uint64_t timeStamp);
extern "C" {
IOHIDDeviceRef _Nullable IOHIDDeviceCreate(CFAllocatorRef _Nullable allocator, io_service_t service)
    API_AVAILABLE(macos(10.5)) CF_RETURNS_RETAINED;
IOReturn IOHIDDeviceOpen(IOHIDDeviceRef device, IOOptionBits options) API_AVAILABLE(macos(10.5));
IOReturn IOHIDDeviceClose(IOHIDDeviceRef device, IOOptionBits options) API_AVAILABLE(macos(10.5));
void IOHIDDeviceRegisterInputReportWithTimeStampCallback(IOHIDDeviceRef device, uint8_t* report, CFIndex reportLength,
    IOHIDReportWithTimeStampCallback _Nullable callback, void* _Nullable context) API_AVAILABLE(macos(10.15));
void IOHIDDeviceScheduleWithRunLoop(IOHIDDeviceRef device, CFRunLoopRef runLoop, CFStringRef runLoopMode)
    API_AVAILABLE(macos(10.5));
void IOHIDDeviceUnscheduleFromRunLoop(IOHIDDeviceRef device, CFRunLoopRef runLoop, CFStringRef runLoopMode)
    API_AVAILABLE(macos(10.5));
}
CF_ASSUME_NONNULL_END
