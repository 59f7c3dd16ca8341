#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types, signatures
// and availability.
#include <CoreFoundation/CoreFoundation.h>
typedef enum : int32_t { kCGEventSourceStatePrivate = -1, kCGEventSourceStateCombinedSessionState = 0, kCGEventSourceStateHIDSystemState = 1 } CGEventSourceStateID;
typedef enum : uint32_t { kCGEventKeyDown = 10 } CGEventType;
extern "C" CFTimeInterval CGEventSourceSecondsSinceLastEventType(CGEventSourceStateID source, CGEventType eventType)
    API_AVAILABLE(macos(10.4));
