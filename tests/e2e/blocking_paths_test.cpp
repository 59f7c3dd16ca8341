// Paths where an open or a read would wait for a peer that may never come (a
// FIFO for the replay, the recording, a profile, the app's settings and
// preferences), and the signals that end a run: nothing waits past Ctrl-C,
// SIGTERM or a closed terminal (SIGHUP), and nothing is lost by them. (The
// sensor process's pipe: live_mode_test.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>

#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;

// Whether the process holds `path` open.
bool holdsOpen(pid_t pid, const fs::path& path) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
        if (fs::read_symlink(entry.path(), error) == path) return true;
    return false;
}

TEST(BlockingPaths, NothingWaitsForAPeerAndASignalEndsEveryRun) {
    test::TemporaryDirectory folder;
    const fs::path fifo = folder / "fifo", quiet = folder / "quiet.csv", take = folder / "take.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(quiet) << recordingText(simulation::render(*simulation::scenario("quiet", 1, 20)));
    const fs::path data = folder / "data", config = folder / "config";
    fs::create_directories(data / "Knockbox");
    fs::create_directories(config / "knockbox.github.io");
    const fs::path settings = data / "Knockbox/settings.json", preferences = config / "knockbox.github.io/Knockbox.conf";
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(preferences.c_str(), 0600), 0);
    const auto saidSoFar = [](const ChildProcess& run, const std::string& text) {
        return run.errorSoFar().find(text) != std::string::npos;
    };
    const std::string replaying = "REPLAY: dane CSV";

    const struct {
        const char* name;
        test::ProcessSetup setup;
        std::function<bool(const ChildProcess&)> waiting;  // the run is where the signal should find it
        int signal;                                        // 0: the run ends by itself
        int status;
        std::string firstLine, lastLine;
    } runs[] = {
        {"a replay of a FIFO nobody writes", {.arguments = {"--replay", fifo.string(), "--mute"}},
         [&](const ChildProcess& run) { return holdsOpen(run.pid(), fifo); }, SIGTERM, 0, "", ""},
        {"a recording into a FIFO nobody reads",
         {.arguments = {"--replay", quiet.string(), "--mute", "--record", fifo.string()}}, {}, 0, 1,
         "Błąd: Nie można zapisać nagrania: " + fifo.string() + " (nikt nie czyta z tego potoku)", ""},
        {"a profile that is a FIFO",
         {.arguments = {"--replay", quiet.string(), "--mute"}, .environment = {{"KNOCKBOX_SIDE_PROFILE", fifo.string()}}},
         [&](const ChildProcess& run) { return saidSoFar(run, replaying); }, SIGINT, 0,
         "Profil stron pominięty: Nie można odczytać profilu kalibracji: " + fifo.string() +
             ": to nie jest zwykły plik. Użyj --calibrate-sides.",
         "Koniec: "},
        {"a recording run when its terminal closes",
         {.arguments = {"--replay", quiet.string(), "--mute", "--record", take.string()}},
         [&](const ChildProcess& run) { return saidSoFar(run, replaying); }, SIGHUP, 0, "", "Koniec: "},
        // The app sets both aside, and shows its window.
        {"the app's settings and preferences as FIFOs",
         {.arguments = {"--ui"},
          .environment = {{"QT_QPA_PLATFORM", "offscreen"}, {"HOME", folder.path().string()},
                          {"XDG_DATA_HOME", data.string()}, {"XDG_CONFIG_HOME", config.string()}}},
         [&](const ChildProcess&) {
             return fs::exists(settings.string() + ".invalid") && fs::exists(preferences.string() + ".invalid");
         },
         SIGTERM, 0, "", ""},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        ChildProcess child(KNOCKBOX_EXECUTABLE, run.setup);
        if (run.waiting) {
            ASSERT_TRUE(test::eventually([&] { return run.waiting(child); }, 30)) << child.errorSoFar();
        }
        const auto sent = std::chrono::steady_clock::now();
        if (run.signal) child.sendSignal(run.signal);
        const test::ProcessResult result = child.wait(30);
        // Within a slice of the loop; the rest is the process ending (a leak
        // check in the sanitizer build), with room for a busy machine.
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 3.0);
        EXPECT_EQ(result.exitStatus, run.status) << result.err;
        const auto lines = test::linesOf(result.err);
        if (!run.firstLine.empty() || !run.lastLine.empty()) {
            ASSERT_FALSE(lines.empty()) << result.err;
            EXPECT_TRUE(lines.front().starts_with(run.firstLine)) << result.err;
            EXPECT_TRUE(lines.back().starts_with(run.lastLine)) << result.err;
        }
    }
    // The recording was put in place with every sample fed before the signal.
    EXPECT_FALSE(fs::exists(take.string() + ".partial"));
    EXPECT_FALSE(readRecording(take).empty());
}

}  // namespace
}  // namespace knockbox
