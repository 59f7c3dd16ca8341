#include "platform/monotonic_clock.h"

#include <mach/mach_time.h>

namespace knockbox {

double uptime() {
    static const mach_timebase_info_data_t timebase = [] {
        mach_timebase_info_data_t info{};
        mach_timebase_info(&info);
        return info;
    }();
    const double nanoseconds =
        static_cast<double>(mach_absolute_time()) * timebase.numer / timebase.denom;
    return nanoseconds * 1e-9;
}

}  // namespace knockbox
