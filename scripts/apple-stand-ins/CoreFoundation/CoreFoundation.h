#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types and signatures.
#include <stdint.h>
typedef unsigned char Boolean; typedef unsigned char UInt8; typedef int32_t SInt32; typedef long CFIndex;
typedef unsigned long CFTypeID; typedef double CFTimeInterval; typedef uint32_t CFStringEncoding;
typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef; extern const CFAllocatorRef kCFAllocatorDefault;
typedef const struct __CFString* CFStringRef; typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFBoolean* CFBooleanRef; typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef; typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFBundle* CFBundleRef; typedef const struct __CFURL* CFURLRef;
typedef CFStringRef CFRunLoopMode; extern const CFRunLoopMode kCFRunLoopDefaultMode;
typedef enum : SInt32 { kCFRunLoopRunFinished = 1, kCFRunLoopRunStopped = 2, kCFRunLoopRunTimedOut = 3, kCFRunLoopRunHandledSource = 4 } CFRunLoopRunResult;
enum { kCFStringEncodingUTF8 = 0x08000100 };
typedef enum : CFIndex { kCFNumberSInt32Type = 3, kCFNumberSInt64Type = 4, kCFNumberDoubleType = 13 } CFNumberType;
extern const CFBooleanRef kCFBooleanTrue, kCFBooleanFalse;
extern "C" {
void CFRelease(CFTypeRef); CFTypeRef CFRetain(CFTypeRef); CFTypeID CFGetTypeID(CFTypeRef);
CFTypeID CFNumberGetTypeID(void); CFTypeID CFBooleanGetTypeID(void); CFTypeID CFStringGetTypeID(void);
Boolean CFNumberIsFloatType(CFNumberRef); CFIndex CFNumberGetByteSize(CFNumberRef);
Boolean CFNumberGetValue(CFNumberRef, CFNumberType, void*); CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType, const void*);
Boolean CFBooleanGetValue(CFBooleanRef);
CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char*, CFStringEncoding);
CFIndex CFStringGetLength(CFStringRef); CFIndex CFStringGetMaximumSizeForEncoding(CFIndex, CFStringEncoding);
Boolean CFStringGetCString(CFStringRef, char*, CFIndex, CFStringEncoding);
CFRunLoopRef CFRunLoopGetCurrent(void); CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode, CFTimeInterval, Boolean);
CFBundleRef CFBundleGetMainBundle(void); CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef);
CFURLRef CFURLCopyAbsoluteURL(CFURLRef); Boolean CFURLGetFileSystemRepresentation(CFURLRef, Boolean, UInt8*, CFIndex);
Boolean CFPreferencesGetAppBooleanValue(CFStringRef, CFStringRef, Boolean*);
}
