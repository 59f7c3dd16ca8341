#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types and signatures.
#include <stddef.h>
extern "C" int sysctlbyname(const char*, void*, size_t*, void*, size_t);
