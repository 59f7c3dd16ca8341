#pragma once
// How the sensor process gets the rights it needs (root, to open a Mac's
// motion sensor): the player starts it with `sudo -n`, which runs it only
// when sudo need not ask for a password. A terminal's sudo ticket lets it
// (./run.sh gets one), or the rule knockbox-helper installs once with an
// administrator's consent (docs/macos-sensor-access.md): sudo runs a
// root-owned copy of the sensor program, knockbox-sensor, for this user, with
// --sensor-stream and nothing else.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace knockbox {

// Where the system's programs and the installed rights are: under "/", or,
// on Linux, under the folder KNOCKBOX_STAND_IN_ROOT names, where the tests put
// stand-ins of sudo and of the administrator prompt.
struct SystemPlaces {
    std::filesystem::path root;

    std::filesystem::path sudo() const { return root / "usr/bin/sudo"; }
    // osascript: `do shell script … with administrator privileges` is the
    // system's standard administrator prompt.
    std::filesystem::path prompt() const { return root / "usr/bin/osascript"; }
    std::filesystem::path installedSensor() const {
        return root / "Library/PrivilegedHelperTools/io.github.knockbox.sensor";
    }
    std::filesystem::path rule(uid_t user) const { return root / "etc/sudoers.d" / ("knockbox-" + std::to_string(user)); }
};

// Throws AppError when KNOCKBOX_STAND_IN_ROOT names no folder.
SystemPlaces systemPlaces();

// Whether `sudo -n` runs `program --sensor-stream` without asking. False
// too when Ctrl-C or SIGTERM came first.
bool sudoAllows(const SystemPlaces& system, const std::filesystem::path& program);

// Makes sure sudo runs the installed copy of `sensorProgram` for this user
// without asking. When it does not (no copy, a copy that differs, one that
// someone besides the system could change, no rule), the system's
// administrator prompt asks once to install both. Throws AppError when the
// prompt is declined or the rights cannot be given; false when Ctrl-C or
// SIGTERM came first.
bool ensureSensorGrant(const SystemPlaces& system, const std::filesystem::path& sensorProgram);

}  // namespace knockbox
