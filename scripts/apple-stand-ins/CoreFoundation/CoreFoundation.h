#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types, signatures,
// nullability and availability (os/availability.h says how the latter is
// checked here). Most of CoreFoundation has no nullability annotations, as
// in the SDK; the audited parts are wrapped in CF_ASSUME_NONNULL_BEGIN/END.
#include <os/availability.h>
#include <stdint.h>
#define CF_ASSUME_NONNULL_BEGIN _Pragma("clang assume_nonnull begin")
#define CF_ASSUME_NONNULL_END _Pragma("clang assume_nonnull end")
#define CF_RETURNS_RETAINED __attribute__((cf_returns_retained))
#define CF_RELEASES_ARGUMENT __attribute__((cf_consumed))
typedef unsigned char Boolean; typedef unsigned char UInt8; typedef int32_t SInt32; typedef long CFIndex;
typedef unsigned long CFOptionFlags; typedef unsigned long CFTypeID; typedef double CFTimeInterval;
typedef uint32_t CFStringEncoding;
typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef; extern const CFAllocatorRef kCFAllocatorDefault;
typedef const struct __CFString* CFStringRef; typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFBoolean* CFBooleanRef; typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef; typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFRunLoopSource* CFRunLoopSourceRef;
typedef struct __CFBundle* CFBundleRef; typedef const struct __CFURL* CFURLRef;
typedef CFStringRef CFRunLoopMode; extern const CFRunLoopMode kCFRunLoopDefaultMode;
typedef enum : SInt32 { kCFRunLoopRunFinished = 1, kCFRunLoopRunStopped = 2, kCFRunLoopRunTimedOut = 3, kCFRunLoopRunHandledSource = 4 } CFRunLoopRunResult;
enum { kCFStringEncodingUTF8 = 0x08000100 };
typedef enum : CFIndex { kCFNumberSInt32Type = 3, kCFNumberSInt64Type = 4, kCFNumberDoubleType = 13 } CFNumberType;
extern const CFBooleanRef kCFBooleanTrue, kCFBooleanFalse;
// CFFileDescriptor.h
typedef int CFFileDescriptorNativeDescriptor;
typedef struct __CFFileDescriptor* CFFileDescriptorRef;
enum { kCFFileDescriptorReadCallBack = 1UL << 0, kCFFileDescriptorWriteCallBack = 1UL << 1 };
typedef void (*CFFileDescriptorCallBack)(CFFileDescriptorRef f, CFOptionFlags callBackTypes, void* info);
typedef struct {
    CFIndex version; void* info; void* (*retain)(void* info); void (*release)(void* info);
    CFStringRef (*copyDescription)(void* info);
} CFFileDescriptorContext;
extern "C" {
void CFRelease(CFTypeRef cf); CFTypeRef CFRetain(CFTypeRef cf); CFTypeID CFGetTypeID(CFTypeRef cf);
CFTypeID CFNumberGetTypeID(void); CFTypeID CFBooleanGetTypeID(void); CFTypeID CFStringGetTypeID(void);
Boolean CFNumberIsFloatType(CFNumberRef number); CFIndex CFNumberGetByteSize(CFNumberRef number);
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr);
Boolean CFBooleanGetValue(CFBooleanRef boolean);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFIndex CFStringGetLength(CFStringRef theString); CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
CFRunLoopRef CFRunLoopGetCurrent(void);
CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds, Boolean returnAfterSourceHandled);
void CFRunLoopStop(CFRunLoopRef rl);
void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
void CFRunLoopRemoveSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
CFFileDescriptorRef CFFileDescriptorCreate(CFAllocatorRef allocator, CFFileDescriptorNativeDescriptor fd,
    Boolean closeOnInvalidate, CFFileDescriptorCallBack callout, const CFFileDescriptorContext* context)
    API_AVAILABLE(macos(10.5));
void CFFileDescriptorEnableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes) API_AVAILABLE(macos(10.5));
void CFFileDescriptorInvalidate(CFFileDescriptorRef f) API_AVAILABLE(macos(10.5));
CFRunLoopSourceRef CFFileDescriptorCreateRunLoopSource(CFAllocatorRef allocator, CFFileDescriptorRef f, CFIndex order)
    API_AVAILABLE(macos(10.5));
CFBundleRef CFBundleGetMainBundle(void); CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL);
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxBufLen);
}
// CFPreferences.h is audited.
CF_ASSUME_NONNULL_BEGIN
extern "C" Boolean CFPreferencesGetAppBooleanValue(CFStringRef key, CFStringRef applicationID,
                                                   Boolean* _Nullable keyExistsAndHasValidFormat);
CF_ASSUME_NONNULL_END
