#include "player/sensor_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/app_error.h"
#include "core/line_text.h"
#include "platform/log_line.h"
#include "platform/run_loop.h"
#include "platform/subprocess.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

constexpr std::size_t outputLimit = 64 * 1024;           // of a program's messages, kept for ours
constexpr std::int64_t sensorProgramLimit = 256 << 20;  // far above any build of knockbox-sensor

struct Finished {
    int status;
    std::string output;  // standard output and error, cut at outputLimit
};

// Runs a program to its end on the main loop. Nothing when Ctrl-C or SIGTERM
// came first (the program is then ended too).
std::optional<Finished> runToEnd(const fs::path& program, const std::vector<std::string>& arguments) {
    Subprocess child(program, arguments, Subprocess::Errors::intoPipe);
    RunLoop& loop = mainRunLoop();
    std::string output;
    std::optional<RunLoop::Token> watch;
    watch = loop.watch(child.output(), [&] {
        std::array<char, 4096> bytes;
        ssize_t got;
        while ((got = ::read(child.output(), bytes.data(), bytes.size())) > 0)
            output.append(bytes.data(), std::min(static_cast<std::size_t>(got), outputLimit - output.size()));
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            loop.cancel(*watch);  // at its end: nothing more to wake for
            watch.reset();
        }
    });
    // Then the exit, which follows the end of its output.
    while ((watch || child.isRunning()) && !loop.stopped()) loop.runFor(RunLoop::maxSlice);
    if (watch) loop.cancel(*watch);
    if (loop.stopped()) return std::nullopt;
    return Finished{child.wait(), output};
}

// Whether sudo, asked with these arguments, says yes.
bool sudoLists(const SystemPlaces& system, const std::vector<std::string>& arguments) {
    const auto listed = runToEnd(system.sudo(), arguments);
    return listed && listed->status == 0;
}

// A word for sh, quoted: 'it'\''s'.
std::string shellWord(const std::string& text) {
    std::string word = "'";
    for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// The folder's owner and group, as numbers.
std::string ownerOf(const fs::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        throw AppError(lines::sensorAccessFailed(pathText(folder) + ": " + std::strerror(errno)));
    return std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid);
}

// What the administrator prompt runs as root (after the assignments below):
// a copy of the sensor program that only the system may change, and a
// sudoers rule that lets this user run that copy with --sensor-stream,
// checked by visudo before sudo sees it. Each is written under a temporary
// name beside its place (sudo skips names with a dot) and renamed into it,
// so no half-written file is ever in use.
constexpr std::string_view installCommands = R"(
copy= file=
trap 'rm -f "$copy" "$file"' EXIT
if [ ! -f "$source" ] || [ -L "$source" ]; then echo "$source: no regular file" >&2; exit 1; fi
mkdir -p "${target%/*}" "${rule%/*}"
copy=$(mktemp "${target%/*}/.knockbox-sensor.XXXXXX")
cat "$source" >"$copy"
chown "$owner" "$copy"
chmod 755 "$copy"
mv -f "$copy" "$target"
file=$(mktemp "${rule%/*}/.knockbox.XXXXXX")
printf '%s\n' "$entry" >"$file"
chown "$owner" "$file"
chmod 440 "$file"
visudo -cf "$file" >/dev/null
mv -f "$file" "$rule"
)";

std::string installScript(const SystemPlaces& system, const fs::path& sensorProgram) {
    const std::string installed = system.installedSensor().string();
    // A rule names its command as sudoers reads it: nothing to escape.
    if (installed.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-") !=
        std::string::npos)
        throw AppError(lines::sensorAccessFailed("nieobsługiwana ścieżka " + pathText(installed)));
    std::string script = "set -eu\nPATH=/usr/bin:/bin:/usr/sbin:/sbin\numask 022\n";
    const auto assign = [&script](std::string_view name, const std::string& value) {
        script.append(name).append("=").append(shellWord(value)).append("\n");
    };
    assign("source", sensorProgram.string());
    assign("target", installed);
    assign("rule", system.rule(::getuid()).string());
    assign("owner", ownerOf(system.root));
    assign("entry", std::string("#").append(std::to_string(::getuid())).append(" ALL = (root) NOPASSWD: ")
                        .append(installed).append(" --sensor-stream"));
    return script.append(installCommands);
}

// The file, and every folder above it up to the root, belong to the root's
// owner and nobody else may change them: only that owner could have put
// there what sudo runs as root. (A folder others may write to keeps its
// entries safe when it is sticky.)
bool ownedBySystem(const SystemPlaces& system, const fs::path& file) {
    struct stat root {};
    if (::stat(system.root.c_str(), &root) != 0) return false;
    for (fs::path path = file;; path = path.parent_path()) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || info.st_uid != root.st_uid) return false;
        const bool othersWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        const bool safe = path == file ? S_ISREG(info.st_mode) && !othersWrite
                                       : S_ISDIR(info.st_mode) && (!othersWrite || (info.st_mode & S_ISVTX));
        if (!safe) return false;
        if (path == system.root || path == path.parent_path()) return true;
    }
}

// A regular file's descriptor (never a link's), closed with it.
struct OpenFile {
    int fd;
    struct stat info {};
    explicit OpenFile(const fs::path& path) : fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)) {
        if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) info.st_size = -1;
    }
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    bool usable() const { return fd >= 0 && info.st_size >= 0 && info.st_size <= sensorProgramLimit; }
};

bool sameContents(const fs::path& first, const fs::path& second) {
    const OpenFile a(first), b(second);
    if (!a.usable() || !b.usable() || a.info.st_size != b.info.st_size) return false;
    std::array<char, 65536> bytesA, bytesB;
    for (;;) {
        const ssize_t gotA = ::read(a.fd, bytesA.data(), bytesA.size());
        if (gotA <= 0) return gotA == 0;
        // Regular files deliver what they have; a shorter read means they differ.
        if (::read(b.fd, bytesB.data(), static_cast<std::size_t>(gotA)) != gotA ||
            !std::equal(bytesA.begin(), bytesA.begin() + gotA, bytesB.begin()))
            return false;
    }
}

// What stands between the sensor program and sudo running its copy as
// root, or nothing.
std::optional<std::string> grantProblem(const SystemPlaces& system, const fs::path& sensorProgram) {
    const fs::path installed = system.installedSensor();
    if (!ownedBySystem(system, installed))
        return "kopia programu sensora może należeć do kogoś innego niż system: " + pathText(installed);
    if (!sameContents(installed, sensorProgram))
        return pathText(installed) + " nie jest kopią " + pathText(sensorProgram);
    // The rule alone: -k leaves a terminal's sudo ticket out (and in place).
    if (!sudoLists(system, {"-n", "-k", "-l", installed.string(), "--sensor-stream"}))
        return "sudo nie uwzględnia reguły " + pathText(system.rule(::getuid()));
    return std::nullopt;
}

}  // namespace

SystemPlaces systemPlaces() {
#ifndef __APPLE__
    if (const char* standIn = std::getenv("KNOCKBOX_STAND_IN_ROOT"); standIn && *standIn) {
        std::error_code error;
        fs::path root = fs::canonical(standIn, error);
        if (error || !fs::is_directory(root))
            throw AppError("KNOCKBOX_STAND_IN_ROOT: " + outsideText(standIn) + ": nie jest folderem");
        return {std::move(root)};
    }
#endif
    return {"/"};
}

bool sudoAllows(const SystemPlaces& system, const fs::path& program) {
    return sudoLists(system, {"-n", "-l", program.string(), "--sensor-stream"});
}

bool ensureSensorGrant(const SystemPlaces& system, const fs::path& sensorProgram) {
    if (!grantProblem(system, sensorProgram)) return true;
    if (mainRunLoop().stopped()) return false;
    logLine(lines::sensorAccessAsked);
    const auto asked = runToEnd(
        system.prompt(),
        {"-e", "on run argv", "-e",
         "do shell script (item 1 of argv) with prompt (item 2 of argv) with administrator privileges", "-e",
         "end run", installScript(system, sensorProgram),
         "Knockbox needs an administrator's permission once, so that it can read the motion sensor."});
    if (!asked) return false;
    if (asked->status != 0) {
        // AppleScript's error -128: the user pressed Cancel.
        if (asked->output.find("(-128)") != std::string::npos) throw AppError(std::string(lines::sensorAccessDeclined));
        std::string_view said = asked->output;
        while (!said.empty() && (said.back() == '\n' || said.back() == ' ')) said.remove_suffix(1);
        throw AppError(lines::sensorAccessFailed(outsideText(said)));
    }
    const auto problem = grantProblem(system, sensorProgram);
    if (mainRunLoop().stopped()) return false;
    if (problem) throw AppError(lines::sensorAccessFailed(*problem));
    return true;
}

}  // namespace knockbox
