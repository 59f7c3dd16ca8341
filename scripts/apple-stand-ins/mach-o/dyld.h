#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh:
// only the declarations src/*/macos/ uses, with the SDK's types and signatures.
#include <stdint.h>
extern "C" int _NSGetExecutablePath(char* buf, uint32_t* bufsize);
