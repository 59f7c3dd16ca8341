#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types and signatures.
#include <stdint.h>
struct mach_timebase_info { uint32_t numer; uint32_t denom; };
typedef struct mach_timebase_info mach_timebase_info_data_t; typedef struct mach_timebase_info* mach_timebase_info_t;
extern "C" { int mach_timebase_info(mach_timebase_info_t); uint64_t mach_absolute_time(void); }
