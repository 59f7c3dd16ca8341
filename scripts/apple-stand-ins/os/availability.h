#pragma once
// Stand-in for the Apple SDK header of this name, for scripts/check-libcxx.sh.
// Apple's API_AVAILABLE(macos(10.15)) lets Clang refuse, on an Apple target,
// a call newer than the deployment target that no __builtin_available guards
// (-Wunguarded-availability). This check compiles for Linux, where Clang
// ignores that attribute, so here the same annotation makes any call to such
// a declaration an error, guarded or not (none is guarded: the deployment
// target covers every API the program uses). The stand-ins name the macOS
// version alone. The deployment target comes from the check, as Apple's
// compiler defines it (140000 for 14.0).
#ifndef __ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__
#error "check-libcxx.sh defines the deployment target"
#endif

// "10.15" as 101500, as Apple writes versions in its macros.
constexpr long knockboxStandInVersion(const char* text) {
    long parts[3] = {0, 0, 0};
    for (int part = 0; *text && part < 3; ++text) {
        if (*text == '.') ++part;
        else parts[part] = parts[part] * 10 + (*text - '0');
    }
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

#define KNOCKBOX_STAND_IN_AVAILABLE_macos(version)                                                   \
    diagnose_if(knockboxStandInVersion(#version) > __ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__, \
                "introduced in macOS " #version ", after the deployment target", "error")
#define API_AVAILABLE(platform) __attribute__((KNOCKBOX_STAND_IN_AVAILABLE_##platform))
