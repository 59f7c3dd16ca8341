#pragma once
// No exception may unwind through CoreFoundation's frames: a callback that
// CoreFoundation calls (an IOKit report, say) catches everything, keeps the
// first exception here and stops the run loop; the wait that turned the loop
// rethrows it once CFRunLoopRunInMode has returned.

#include <CoreFoundation/CoreFoundation.h>

#include <exception>
#include <utility>

namespace knockbox::callbackException {

inline thread_local std::exception_ptr kept;

inline void keep(std::exception_ptr error) noexcept {
    if (!kept) kept = error;
    CFRunLoopStop(CFRunLoopGetCurrent());
}

inline void rethrowKept() {
    if (kept) std::rethrow_exception(std::exchange(kept, nullptr));
}

}  // namespace knockbox::callbackException
