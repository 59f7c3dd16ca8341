#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types and signatures.
#include <IOKit/IOKitLib.h>
typedef struct __IOHIDDevice* IOHIDDeviceRef;
typedef enum { kIOHIDReportTypeInput = 0, kIOHIDReportTypeOutput, kIOHIDReportTypeFeature, kIOHIDReportTypeCount } IOHIDReportType;
enum { kIOHIDOptionsTypeNone = 0 };
typedef void (*IOHIDReportWithTimeStampCallback)(void* context, IOReturn result, void* sender, IOHIDReportType type,
    uint32_t reportID, uint8_t* report, CFIndex reportLength, uint64_t timeStamp);
extern "C" {
IOHIDDeviceRef IOHIDDeviceCreate(CFAllocatorRef, io_service_t);
IOReturn IOHIDDeviceOpen(IOHIDDeviceRef, IOOptionBits); IOReturn IOHIDDeviceClose(IOHIDDeviceRef, IOOptionBits);
void IOHIDDeviceRegisterInputReportWithTimeStampCallback(IOHIDDeviceRef, uint8_t*, CFIndex, IOHIDReportWithTimeStampCallback, void*);
void IOHIDDeviceScheduleWithRunLoop(IOHIDDeviceRef, CFRunLoopRef, CFStringRef);
void IOHIDDeviceUnscheduleFromRunLoop(IOHIDDeviceRef, CFRunLoopRef, CFStringRef);
}
