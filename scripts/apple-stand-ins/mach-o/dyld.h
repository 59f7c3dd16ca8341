#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types, signatures
// and availability.
#include <os/availability.h>
#include <stdint.h>
extern "C" int _NSGetExecutablePath(char* buf, uint32_t* bufsize) API_AVAILABLE(macos(10.2));
