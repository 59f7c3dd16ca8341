// Paths where an open would wait for a peer that may never come (FIFOs as the
// replay, the recording, a profile, the app's settings and preferences): no
// run waits past Ctrl-C, SIGTERM or SIGHUP. (The sensor's pipe: live_mode_test.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>

#include "recording/csv_recording.h"
#include "support/child_process.h"
#include "support/scenes.h"

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
    const fs::path settings = folder / "data/Knockbox/settings.json";
    const fs::path preferences = folder / "config/knockbox.github.io/Knockbox.conf";
    test::writeRecording(quiet, *simulation::scenario("quiet", 1, 20));
    for (const fs::path& path : {fifo, settings, preferences}) {
        fs::create_directories(path.parent_path());
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    const auto said = [](const std::string& text) {
        return [text](const ChildProcess& run) { return run.errorSoFar().find(text) != std::string::npos; };
    };
    const struct {
        test::ProcessSetup setup;
        std::function<bool(const ChildProcess&)> waiting;  // the run is where the signal should find it
        int signal;                                        // 0: the run ends by itself
        int status;
        std::string line;  // a line it writes
    } runs[] = {
        {{.arguments = {"--replay", fifo.string(), "--mute"}},
         [&](const ChildProcess& run) { return holdsOpen(run.pid(), fifo); }, SIGTERM, 0, ""},
        {{.arguments = {"--replay", quiet.string(), "--mute", "--record", fifo.string()}}, said(""), 0, 1,
         "Błąd: Nie można zapisać nagrania: " + fifo.string() + " (nikt nie czyta z tego potoku)"},
        {{.arguments = {"--replay", quiet.string(), "--mute"}, .environment = {{"KNOCKBOX_SIDE_PROFILE", fifo.string()}}},
         said("REPLAY: "), SIGINT, 0,
         "Profil stron pominięty: Nie można odczytać profilu kalibracji: " + fifo.string() +
             ": to nie jest zwykły plik. Użyj --calibrate-sides."},
        // A closed terminal: the recording is put in place, with the summary.
        {{.arguments = {"--replay", quiet.string(), "--mute", "--record", take.string()}}, said("REPLAY: "), SIGHUP, 0,
         "Koniec: "},
        // The app sets both aside and shows its window.
        {{.arguments = {"--ui"},
          .environment = {{"QT_QPA_PLATFORM", "offscreen"}, {"HOME", folder.path().string()},
                          {"XDG_DATA_HOME", (folder / "data").string()}, {"XDG_CONFIG_HOME", (folder / "config").string()}}},
         [&](const ChildProcess&) {
             return fs::exists(settings.string() + ".invalid") && fs::exists(preferences.string() + ".invalid");
         },
         SIGTERM, 0, ""},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.setup.arguments.back());
        ChildProcess child(KNOCKBOX_EXECUTABLE, run.setup);
        ASSERT_TRUE(test::eventually([&] { return run.waiting(child); }, 30)) << child.errorSoFar();
        const auto sent = std::chrono::steady_clock::now();
        if (run.signal) child.sendSignal(run.signal);
        const test::ProcessResult result = child.wait(30);
        // Within a slice of the loop; the rest is the process ending (a leak
        // check in the sanitizer build), with room for a busy machine.
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 3.0);
        EXPECT_EQ(result.exitStatus, run.status) << result.err;
        EXPECT_NE(result.err.find(run.line), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(take.string() + ".partial"));
    EXPECT_FALSE(readRecording(take).empty());
}

}  // namespace
}  // namespace knockbox
