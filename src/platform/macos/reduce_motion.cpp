#include "platform/reduce_motion.h"

#include <CoreFoundation/CoreFoundation.h>

namespace knockbox {

// The switch of System Settings › Accessibility › Display › Reduce motion, as
// stored in the universal-access preferences; absent means off.
bool reduceMotionRequested() {
    CFStringRef key = CFStringCreateWithCString(kCFAllocatorDefault, "reduceMotion", kCFStringEncodingUTF8);
    CFStringRef domain =
        CFStringCreateWithCString(kCFAllocatorDefault, "com.apple.universalaccess", kCFStringEncodingUTF8);
    Boolean valid = false;
    const Boolean on = key && domain ? CFPreferencesGetAppBooleanValue(key, domain, &valid) : false;
    if (key) CFRelease(key);
    if (domain) CFRelease(domain);
    return valid && on;
}

}  // namespace knockbox
