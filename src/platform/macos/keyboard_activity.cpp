#include "platform/keyboard_activity.h"

#include <CoreGraphics/CoreGraphics.h>

namespace knockbox {

double secondsSinceLastKeyDown(KeyEventSourceState state) {
    const CGEventSourceStateID source = state == KeyEventSourceState::combinedSession
                                            ? kCGEventSourceStateCombinedSessionState
                                            : kCGEventSourceStateHIDSystemState;
    return CGEventSourceSecondsSinceLastEventType(source, kCGEventKeyDown);
}

}  // namespace knockbox
