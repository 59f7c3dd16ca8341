#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types, signatures
// and ownership annotations (IOKitLib.h has no nullability annotations).
#include <CoreFoundation/CoreFoundation.h>
typedef int kern_return_t; typedef kern_return_t IOReturn; typedef unsigned int mach_port_t;
typedef mach_port_t io_object_t; typedef io_object_t io_service_t; typedef io_object_t io_iterator_t; typedef io_object_t io_registry_entry_t;
typedef uint32_t IOOptionBits;
#define MACH_PORT_NULL 0
#define KERN_SUCCESS 0
#define kIOReturnSuccess KERN_SUCCESS
#define kIOReturnError ((IOReturn)0xe00002bc)
#define kIOReturnNotPrivileged ((IOReturn)0xe00002c1)
#define kIOReturnExclusiveAccess ((IOReturn)0xe00002c5)
#define kIOReturnNotPermitted ((IOReturn)0xe00002e2)
extern "C" {
kern_return_t IOObjectRelease(io_object_t object);
CFMutableDictionaryRef IOServiceMatching(const char* name) CF_RETURNS_RETAINED;
kern_return_t IOServiceGetMatchingServices(mach_port_t mainPort, CFDictionaryRef matching CF_RELEASES_ARGUMENT,
                                           io_iterator_t* existing);
io_object_t IOIteratorNext(io_iterator_t iterator);
CFTypeRef IORegistryEntryCreateCFProperty(io_registry_entry_t entry, CFStringRef key, CFAllocatorRef allocator,
                                          IOOptionBits options) CF_RETURNS_RETAINED;
kern_return_t IORegistryEntrySetCFProperty(io_registry_entry_t entry, CFStringRef propertyName, CFTypeRef property);
}
