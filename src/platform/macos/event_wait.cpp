// The wait on a Mac turns CoreFoundation's run loop, which delivers IOKit's
// reports meanwhile: each descriptor becomes a run-loop source of its own
// (CFFileDescriptor), so one run of the loop waits for reports, timers and
// descriptors together, and the thread sleeps until one of them comes.
#include "platform/event_wait.h"

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/macos/callback_exception.h"

namespace knockbox {
namespace {

struct CFReleaser {
    void operator()(CFTypeRef ref) const { CFRelease(ref); }
};
template <typename Ref>
using CFHolder = std::unique_ptr<std::remove_pointer_t<Ref>, CFReleaser>;

// A descriptor watched for readability while it lives (all the loop asks
// for: POLLIN). Its callback only ends the run; poll() then says which
// descriptors are ready.
class ReadableSource {
public:
    ReadableSource(int fd, CFRunLoopRef loop) : loop_(loop) {
        descriptor_.reset(CFFileDescriptorCreate(kCFAllocatorDefault, fd, false, &readable, nullptr));
        if (!descriptor_) return;
        source_.reset(CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, descriptor_.get(), 0));
        if (!source_) return;
        CFFileDescriptorEnableCallBacks(descriptor_.get(), kCFFileDescriptorReadCallBack);
        CFRunLoopAddSource(loop_, source_.get(), kCFRunLoopDefaultMode);
    }
    ~ReadableSource() {
        if (source_) CFRunLoopRemoveSource(loop_, source_.get(), kCFRunLoopDefaultMode);
        if (descriptor_) CFFileDescriptorInvalidate(descriptor_.get());  // the descriptor stays open
    }
    ReadableSource(const ReadableSource&) = delete;
    ReadableSource& operator=(const ReadableSource&) = delete;

private:
    static void readable(CFFileDescriptorRef, CFOptionFlags, void*) { CFRunLoopStop(CFRunLoopGetCurrent()); }

    CFRunLoopRef loop_;
    CFHolder<CFFileDescriptorRef> descriptor_;
    CFHolder<CFRunLoopSourceRef> source_;
};

}  // namespace

int waitForEvents(pollfd* fds, std::size_t count, double timeout) {
    const auto nfds = static_cast<nfds_t>(count);
    if (const int ready = poll(fds, nfds, 0); ready != 0 || timeout <= 0) return ready;

    CFRunLoopRef loop = CFRunLoopGetCurrent();
    std::vector<std::unique_ptr<ReadableSource>> sources;
    sources.reserve(count);
    // A descriptor CoreFoundation cannot watch is still seen by the poll
    // below and by the next wait, at most one slice of the loop later.
    for (std::size_t i = 0; i < count; ++i) sources.push_back(std::make_unique<ReadableSource>(fds[i].fd, loop));
    const CFRunLoopRunResult result = CFRunLoopRunInMode(kCFRunLoopDefaultMode, timeout, false);
    sources.clear();
    callbackException::rethrowKept();
    // Finished: the loop has no source at all (no descriptors were given and
    // nothing of IOKit is scheduled), so it did not wait.
    if (result == kCFRunLoopRunFinished)
        return poll(fds, nfds, static_cast<int>(std::ceil(timeout * 1000)));
    return poll(fds, nfds, 0);
}

}  // namespace knockbox
