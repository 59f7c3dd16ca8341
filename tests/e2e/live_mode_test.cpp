// Live play with the built executable against the simulated sensor, run as an
// unprivileged user (the player refuses root). The simulated runs start the
// sensor process directly: sudo would reset the environment that selects the
// simulation.
#include <gtest/gtest.h>
#include <signal.h>
#ifndef __APPLE__
#include <sys/prctl.h>  // Linux only, like the simulated sensor these tests need
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>

#include "recording/csv_recording.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::ChildProcess;
using test::eventually;
using test::linesOf;
using test::ProcessResult;
using test::ProcessSetup;

const std::string startLine = "Start SPU… przez pierwsze 2 s nie dotykaj MacBooka.";
const std::string noSamples = "Koniec: 0 próbek, 0 uderzeń, 0 niepewnych stron.";
const std::string endedChild =
    "Błąd: Proces sensora zakończył się (kod 1). Uruchom przez ./run.sh i sprawdź komunikat IOKit powyżej.";

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The processes the main thread of `parent` started (the player starts its
// sensor process there), as the kernel lists them (CONFIG_PROC_CHILDREN, on
// in every common distribution's kernel).
std::vector<pid_t> childrenOf(pid_t parent) {
    const std::string task = std::to_string(parent);
    std::istringstream list(test::readFile("/proc/" + task + "/task/" + task + "/children"));
    std::vector<pid_t> children;
    for (pid_t child; list >> child;) children.push_back(child);
    return children;
}

bool exists(pid_t pid) { return fs::exists("/proc/" + std::to_string(pid)); }

bool isHitLine(const std::string& line) { return line.starts_with("L  ") || line.starts_with("R  "); }

struct LiveMode : ::testing::Test {
    void SetUp() override {
#ifdef __APPLE__
        GTEST_SKIP() << "the simulated sensor exists on Linux only";
#else
        // A sensor process the player leaves behind is handed to us instead of
        // init, so we can see whether (and how) it ends.
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        // Half a minute long: the simulated sensor loops it, and no tap may
        // come round again before a test has seen the four it waits for.
        test::writeRecording(recording, test::fourDrums(23, 30.0));
#endif
    }

    // The player, unprivileged, started in the background, and its sensor process.
    std::unique_ptr<ChildProcess> startPlayer(std::vector<std::string> arguments, const std::string& faults = "",
                                              std::optional<fs::path> input = std::nullopt) {
        ProcessSetup setup = test::simulatedSensor(recording, faults, std::move(arguments));
        setup.input = std::move(input);
        const test::Command command = test::asUnprivilegedUser(KNOCKBOX_EXECUTABLE, std::move(setup));
        auto player = std::make_unique<ChildProcess>(command.executable, command.setup);
        std::vector<pid_t> children;
        EXPECT_TRUE(eventually([&] { return !(children = childrenOf(player->pid())).empty(); }, 5))
            << "the player started no sensor process";
        EXPECT_LE(children.size(), 1u);
        sensor = children.empty() ? -1 : children.front();
        return player;
    }

    test::TemporaryDirectory directory;
    fs::path recording = directory / "groove.csv";
    pid_t sensor = -1;
};

TEST_F(LiveMode, PlaysTheHitsAndEndsCleanlyOnSigint) {
    // No saved side profile may decide the sides here.
    auto player = startPlayer({"--direct-sensor", "--mute", "--no-side-profile"});
    ASSERT_GT(sensor, 0);
    ASSERT_TRUE(eventually([&] {
        const auto lines = linesOf(player->errorSoFar());
        return std::count_if(lines.begin(), lines.end(), isHitLine) == 4;
    }, 20)) << player->errorSoFar();

    const auto sent = Clock::now();
    player->sendSignal(SIGINT);
    const ProcessResult result = player->wait(10);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // The loop stops within a 10 ms slice; the rest is the sensor process
    // ending on its SIGTERM and being reaped (its summary below shows it was
    // not killed), with room for a busy machine.
    EXPECT_LT(secondsSince(sent), 3);
    EXPECT_FALSE(exists(sensor)) << "the sensor process was not reaped";
    EXPECT_EQ(result.out, "");

    const auto lines = linesOf(result.err);
    ASSERT_EQ(lines.size(), 9u) << result.err;
    EXPECT_EQ(lines[0], startLine);
    int rate = 0;  // as the sensor's time stamps give it (the ready lines' text: the replay's tests)
    ASSERT_EQ(std::sscanf(lines[1].c_str(), "GOTOWE · %d Hz · ", &rate), 1) << lines[1];
    EXPECT_NEAR(rate, 800, 400);
    const char* const hits[] = {"L  kick    peak ", "R  hihat   peak ", "L  tom     peak ", "R  snare   peak "};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(lines[3 + i].starts_with(hits[i])) << lines[3 + i];

    // The sensor process's summary comes first: it has ended before the player's.
    long reports = 0, samples = 0;
    ASSERT_EQ(std::sscanf(lines[7].c_str(), "Sensor: %ld raportów", &reports), 1) << lines[7];
    ASSERT_EQ(std::sscanf(lines[8].c_str(), "Koniec: %ld próbek", &samples), 1) << lines[8];
    EXPECT_EQ(lines[8], "Koniec: " + std::to_string(samples) + " próbek, 4 uderzeń, 0 niepewnych stron.");
    EXPECT_LE(samples, reports);  // the last lines written may never have been read
}

TEST_F(LiveMode, KillingThePlayerEndsTheSensorProcessAtItsNextWrite) {
    auto player = startPlayer({"--direct-sensor", "--mute"});
    ASSERT_GT(sensor, 0);
    ASSERT_TRUE(eventually([&] { return player->errorSoFar().find("GOTOWE") != std::string::npos; }, 10));

    player->sendSignal(SIGKILL);
    EXPECT_EQ(player->wait(5).signal, SIGKILL);
    // Reports come every 1.25 ms; the write after the pipe broke fails and
    // the sensor process ends cleanly, with its summary.
    int status = -1;
    ASSERT_TRUE(eventually([&] { return waitpid(sensor, &status, WNOHANG) == sensor; }, 5.0))
        << "the sensor process outlived the player";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const auto lines = linesOf(player->errorSoFar());
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("Sensor: ")) << lines.back();
}

// The configuration app hands its player a pipe as standard input: when the
// app goes (killed outright, say) the pipe ends, and the player ends as on
// SIGTERM, with its sensor process; even one that closed its output and runs
// on, silent (left alone, the data watchdog would end the run after 7 s).
TEST_F(LiveMode, WithUntilInputEndsThePlayerEndsWithItsInput) {
    const fs::path lifeline = directory / "lifeline";
    ASSERT_EQ(::mkfifo(lifeline.c_str(), 0666), 0);
    const int writer = ::open(lifeline.c_str(), O_RDWR | O_CLOEXEC);  // opens at once; ours alone
    ASSERT_GE(writer, 0);
    auto player = startPlayer({"--direct-sensor", "--mute", "--until-input-ends"}, "closed-output", lifeline);
    ASSERT_GT(sensor, 0);
    const fs::path output = "/proc/" + std::to_string(sensor) + "/fd/1";
    ASSERT_TRUE(eventually([&] {
        std::error_code error;
        return fs::read_symlink(output, error) == "/dev/null" && player->errorSoFar().find(startLine) != std::string::npos;
    }, 10));
    const auto closed = Clock::now();
    ::close(writer);
    const ProcessResult result = player->wait(10);
    EXPECT_LT(secondsSince(closed), 2.0);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_FALSE(exists(sensor));
    const auto lines = linesOf(result.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), noSamples);
}

// The sensor process's own failure comes after the start line (a refused open
// may come before it), then the player's summary and the ended child. The
// recording holds what was read; a run that read nothing keeps the old one.
TEST_F(LiveMode, SensorProcessFailuresThenTheEndedChild) {
    const fs::path target = directory / "session.csv";
    const std::string oldRecording = "t,x,y,z,gx,gy,gz\n1.000000000,0.0000000,0.0000000,-1.0000000,,,\n";
    const struct {
        const char* faults;
        double from, to;  // seconds to the end
        std::string failure;
        std::size_t samples;  // at most (a busy machine may lose some on the way)
    } cases[] = {
        // The sensor process gives up after 5 s, before the player's 7 s.
        {"no-reports", 5.0, 7.0,
         "Błąd: SPU znaleziony, ale brak raportów przez 5 s. Sprawdź sudo i zamknij inne czytniki IMU.", 0},
        {"stall-after=0.3", 3.3, 7.0,
         "Błąd: Strumień SPU zatrzymał się na 3 s. Uruchom grę ponownie po wybudzeniu Maca.", 300},
        {"open-refused", 0, 7.0,
         "Błąd: IOHIDDeviceOpen akcelerometru SPU: odmowa uprawnień (0xe00002c1). W razie odmowy dostępu uruchom "
         "helper sensora przez sudo; nie jest potrzebne sudo do audio.", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        test::writeFile(target, oldRecording);
        const auto start = Clock::now();
        const ProcessResult result = test::runKnockboxUnprivileged(
            {"--direct-sensor", "--mute", "--record", target.string()}, test::simulatedSensor(recording, c.faults), 20);
        const double took = secondsSince(start);
        EXPECT_GE(took, c.from);
        EXPECT_LT(took, c.to);  // ended by the sensor process, before the player's 7 s watchdog
        EXPECT_EQ(result.exitStatus, 1);
        auto lines = linesOf(result.err);
        ASSERT_EQ(lines.size(), 4u) << result.err;
        if (std::string(c.faults) == "open-refused" && lines[0] == c.failure) std::swap(lines[0], lines[1]);
        EXPECT_EQ(lines[0], startLine);
        EXPECT_EQ(lines[1], c.failure);
        std::size_t samples = 0;
        ASSERT_EQ(std::sscanf(lines[2].c_str(), "Koniec: %zu próbek", &samples), 1) << lines[2];
        EXPECT_EQ(lines[2], "Koniec: " + std::to_string(samples) + " próbek, 0 uderzeń, 0 niepewnych stron.");
        EXPECT_LE(samples, c.samples);
        EXPECT_EQ(lines[3], endedChild);
        if (samples == 0) {
            EXPECT_EQ(test::readFile(target), oldRecording);
        } else {
            EXPECT_EQ(readRecording(target).size(), samples);
        }
        EXPECT_FALSE(fs::exists(directory / "session.csv.partial"));
    }
}

// A sensor process that is alive but silent (here: stopped) leaves the
// player's own watchdog to end the run, 7 s after the session began.
TEST_F(LiveMode, SevenSilentSecondsEndTheRunAndTerminateTheSensorProcess) {
    const auto start = Clock::now();
    auto player = startPlayer({"--direct-sensor", "--mute"});
    ASSERT_GT(sensor, 0);
    // Once the player has said it started (the sensor process has its own
    // program by then: stopped before, it would hold up the player's spawn).
    ASSERT_TRUE(eventually([&] { return player->errorSoFar().find(startLine) != std::string::npos; }, 10));
    kill(sensor, SIGSTOP);  // silent from now on, yet still running
    const ProcessResult result = player->wait(15);
    // A stopped sensor process is continued so that it ends on SIGTERM without delay.
    const double endedAfter = secondsSince(start);
    EXPECT_GE(endedAfter, 7.0);
    EXPECT_LT(endedAfter, 12.0);  // by the watchdog, not by the test's own timeout
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_FALSE(exists(sensor));
    const auto lines = linesOf(result.err);
    ASSERT_GE(lines.size(), 2u) << result.err;
    EXPECT_EQ(lines[lines.size() - 2], noSamples);
    EXPECT_EQ(lines.back(), "Błąd: Brak danych sensora. Uruchom ./run.sh w Terminalu i podaj hasło sudo.");
}

}  // namespace
}  // namespace knockbox
