// The sensor process, --probe and --check-access of the built executable,
// against the simulated sensor.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <thread>

#include "player/csv_recording.h"
#include "player/number_text.h"
#include "player/sample_line.h"
#include "player/subprocess.h"
#include "support/child_process.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
using test::linesOf;
using test::ProcessResult;
using test::ProcessSetup;
using test::runKnockbox;

const std::string openAdvice =
    ". W razie odmowy dostępu uruchom helper sensora przez sudo; nie jest potrzebne sudo do audio.";

// Two seconds of gentle motion at 800 Hz; every fourth sample has no gyro.
std::vector<AccelSample> motion() {
    std::vector<AccelSample> samples;
    for (int i = 0; i < 1600; ++i) {
        AccelSample sample{1000.0 + i / 800.0, 0.02 * std::sin(i / 9.0), -0.01 * std::cos(i / 5.0), -1.0, {}};
        if (i % 4 != 3) sample.gyro = GyroSample{sample.t, 0.3 * std::sin(i / 11.0), -0.25, 1.5};
        samples.push_back(sample);
    }
    return samples;
}

// What the sensor makes of a value: Q16 in the report, 7 decimals on the line.
std::string onTheLine(double value) { return fixed(std::round(value * 65536) / 65536, 7); }

struct SensorProcess : ::testing::Test {
    void SetUp() override {
#ifdef __APPLE__
        GTEST_SKIP() << "the simulated sensor exists on Linux only";
#endif
        std::ofstream(recording) << recordingText(motion());
    }
    ProcessSetup simulated(const std::string& faults = "") const {
        ProcessSetup setup;
        setup.environment["KNOCKBOX_SIMULATED_SPU"] = recording.string();
        setup.environment["KNOCKBOX_SIMULATED_SPU_FAULTS"] =
            faults.empty() ? std::nullopt : std::optional<std::string>(faults);
        return setup;
    }
    static ProcessSetup noSensor() {
        ProcessSetup setup;
        setup.environment["KNOCKBOX_SIMULATED_SPU"] = std::nullopt;
        return setup;
    }

    test::TemporaryDirectory directory;
    std::filesystem::path recording = directory / "motion.csv";
};

// Digits, a full stop and exactly `decimals` digits, optionally negative.
bool isFixed(std::string_view text, std::size_t decimals, bool negative) {
    if (negative && text.starts_with('-')) text.remove_prefix(1);
    const auto point = text.find('.');
    if (point == 0 || point == std::string_view::npos || text.size() - point - 1 != decimals) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != point && !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// "%.9f" then 3 or 6 times " %.7f".
bool isSampleLine(std::string_view line, std::size_t numbers) {
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const auto space = line.find(' ', start);
        const std::string_view piece = line.substr(start, space - start);
        if (!isFixed(piece, count == 0 ? 9 : 7, count > 0)) return false;
        if (space == std::string_view::npos) return count + 1 == numbers;
        start = space + 1;
    }
}

// "Sensor: <count> raportów, <rate> Hz." with the rate as "%.1f".
void expectSummary(const std::string& line, std::size_t count) {
    const std::string prefix = "Sensor: " + std::to_string(count) + " raportów, ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    ASSERT_TRUE(line.ends_with(" Hz.")) << line;
    const std::string rate = line.substr(prefix.size(), line.size() - prefix.size() - 4);
    EXPECT_TRUE(isFixed(rate, 1, false)) << line;
    EXPECT_NEAR(parseNumber(rate).value_or(0), 800, 25) << line;
}

TEST_F(SensorProcess, WritesOneExactlyFormattedLinePerReportAndItsSummary) {
    const ProcessResult result = runKnockbox({"--sensor-stream", "--duration", "0.5"}, simulated());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const auto lines = linesOf(result.out);
    ASSERT_GE(lines.size(), 360u);
    ASSERT_LE(lines.size(), 420u);

    const auto recorded = parseRecording(recordingText(motion()));  // as the simulation reads it
    double previous = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(isSampleLine(lines[i], 7)) << lines[i];
        const AccelSample sample = *parseSampleLine(lines[i]);
        EXPECT_EQ(fixed(sample.x, 7), onTheLine(recorded[i].x)) << i;
        EXPECT_EQ(fixed(sample.y, 7), onTheLine(recorded[i].y)) << i;
        EXPECT_EQ(fixed(sample.z, 7), onTheLine(recorded[i].z)) << i;
        // A sample without its own gyro carries the one 1.25 ms before it.
        const GyroSample& gyro = *recorded[i % 4 == 3 ? i - 1 : i].gyro;
        EXPECT_EQ(fixed(sample.gyro->x, 7), onTheLine(gyro.x)) << i;
        if (i > 0) {
            EXPECT_NEAR(sample.t - previous, 1 / 800.0, 1e-6) << i;
        }
        previous = sample.t;
    }
    const auto errors = linesOf(result.err);
    ASSERT_EQ(errors.size(), 1u) << result.err;
    expectSummary(errors[0], lines.size());
}

TEST_F(SensorProcess, WithoutGyroscopeLinesHaveFourNumbers) {
    const ProcessResult result = runKnockbox({"--sensor-stream", "--duration", "0.2"}, simulated("no-gyroscope"));
    EXPECT_EQ(result.exitStatus, 0);
    const auto lines = linesOf(result.out);
    ASSERT_GE(lines.size(), 100u);
    for (const std::string& line : lines)
        ASSERT_TRUE(isSampleLine(line, 4)) << line;
    const auto errors = linesOf(result.err);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "SPU: brak opcjonalnego żyroskopu usage 9; działa sam akcelerometr.");
    expectSummary(errors[1], lines.size());
}

TEST_F(SensorProcess, NoReportsFailsAfterFiveSeconds) {
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult result = runKnockbox({"--sensor-stream"}, simulated("no-reports"), 20);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "Błąd: SPU znaleziony, ale brak raportów przez 5 s. Sprawdź sudo i zamknij inne czytniki IMU.\n");
    EXPECT_GE(elapsed, 5.0);
    EXPECT_LT(elapsed, 7.0);
}

TEST_F(SensorProcess, AStallFailsThreeSecondsAfterTheLastReport) {
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult result = runKnockbox({"--sensor-stream"}, simulated("stall-after=0.2"), 20);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.exitStatus, 1);
    const auto lines = linesOf(result.out);
    EXPECT_GE(lines.size(), 120u);
    EXPECT_LE(lines.size(), 180u);
    EXPECT_EQ(result.err, "Błąd: Strumień SPU zatrzymał się na 3 s. Uruchom grę ponownie po wybudzeniu Maca.\n");
    EXPECT_GE(elapsed, 3.2);
    EXPECT_LT(elapsed, 5.0);
}

TEST_F(SensorProcess, ARefusedOrBusyOpenIsTheOpenError) {
    for (const auto& [fault, described] :
         {std::pair<std::string, std::string>{"open-refused", "odmowa uprawnień (0xe00002c1)"},
          {"busy", "urządzenie zajęte przez inny proces (0xe00002c5)"}}) {
        const ProcessResult result = runKnockbox({"--sensor-stream"}, simulated(fault));
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Błąd: IOHIDDeviceOpen akcelerometru SPU: " + described + openAdvice + "\n");
    }
}

TEST_F(SensorProcess, SigintEndsTheStreamWithItsSummary) {
    test::ChildProcess child(KNOCKBOX_EXECUTABLE, [&] {
        ProcessSetup setup = simulated();
        setup.arguments = {"--sensor-stream"};
        return setup;
    }());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.sendSignal(SIGINT);
    const ProcessResult result = child.wait(5);
    EXPECT_EQ(result.exitStatus, 0);
    const auto lines = linesOf(result.out);
    EXPECT_GE(lines.size(), 50u);
    const auto errors = linesOf(result.err);
    ASSERT_EQ(errors.size(), 1u);
    expectSummary(errors[0], lines.size());
}

// The player reads through a pipe; when it goes away the sensor process's
// next write fails and it ends cleanly. Its standard error is shared with
// ours, so it is caught in a file for the time of the launch.
TEST_F(SensorProcess, AClosedPipeEndsItWithItsSummaryAndStatusZero) {
    const std::filesystem::path errors = directory / "errors.txt";
    setenv("KNOCKBOX_SIMULATED_SPU", recording.c_str(), 1);
    unsetenv("KNOCKBOX_SIMULATED_SPU_FAULTS");
    const int saved = dup(STDERR_FILENO);
    const int file = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(file, STDERR_FILENO);
    std::optional<Subprocess> sensor;
    try {
        sensor.emplace(KNOCKBOX_EXECUTABLE, std::vector<std::string>{"--sensor-stream"});
    } catch (...) {
    }
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    unsetenv("KNOCKBOX_SIMULATED_SPU");
    ASSERT_TRUE(sensor);

    std::string received;
    while (std::count(received.begin(), received.end(), '\n') < 20) {
        pollfd readable{sensor->output(), POLLIN, 0};
        ASSERT_EQ(poll(&readable, 1, 5000), 1);
        char buffer[4096];
        const ssize_t count = read(sensor->output(), buffer, sizeof buffer);
        ASSERT_GT(count, 0);
        received.append(buffer, static_cast<std::size_t>(count));
    }
    sensor->closeOutput();
    EXPECT_EQ(sensor->wait(), 0);
    const auto lines = linesOf(test::readFile(errors));
    ASSERT_EQ(lines.size(), 1u);
    // It counts the lines it wrote, some of them never read.
    EXPECT_EQ(lines[0].rfind("Sensor: ", 0), 0u) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(" Hz.")) << lines[0];
}

TEST_F(SensorProcess, ProbeOnlyLooksForTheSensor) {
    const std::string present =
        "SPU accel 0xFF00/3, report22: obecny. Odczyt raportów sprawdzany przy uruchomieniu.\n";
    for (const char* fault : {"", "open-refused"}) {  // probing opens nothing
        const ProcessResult result = runKnockbox({"--probe"}, simulated(fault));
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, present);
    }
    const ProcessResult unprivileged = test::runKnockboxUnprivileged({"--probe"}, simulated());
    EXPECT_EQ(unprivileged.exitStatus, 0);
    EXPECT_EQ(unprivileged.err, present);

    const ProcessResult absent = runKnockbox({"--probe"}, noSensor());
    EXPECT_EQ(absent.exitStatus, 1);
    EXPECT_EQ(absent.err, "Błąd: SPU accel 0xFF00/3, report22: NIE ZNALEZIONO.\n");
}

TEST_F(SensorProcess, CheckAccessOpensAndClosesTheSensorOnce) {
    const ProcessResult fine = runKnockbox({"--check-access"}, simulated());
    EXPECT_EQ(fine.exitStatus, 0);
    EXPECT_EQ(fine.out, "");
    EXPECT_EQ(fine.err, "");

    const ProcessResult refused = runKnockbox({"--check-access"}, simulated("open-refused"));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err, "Błąd: IOHIDDeviceOpen akcelerometru SPU: odmowa uprawnień (0xe00002c1)" + openAdvice + "\n");

    const ProcessResult absent = runKnockbox({"--check-access"}, noSensor());
    EXPECT_EQ(absent.exitStatus, 1);
    EXPECT_EQ(absent.err,
              "Błąd: Brak akcelerometru AppleSPUHIDDevice (SPU, usage 3, raport 22 B). Wymagany jest obsługiwany "
              "MacBook z Apple Silicon.\n");
}

TEST_F(SensorProcess, ABadSimulationSetupIsAClearError) {
    const ProcessResult fault = runKnockbox({"--probe"}, simulated("stall"));
    EXPECT_EQ(fault.exitStatus, 1);
    EXPECT_EQ(fault.err.rfind("Błąd: KNOCKBOX_SIMULATED_SPU_FAULTS: nieznana usterka \"stall\".", 0), 0u)
        << fault.err;

    ProcessSetup missing;
    missing.environment["KNOCKBOX_SIMULATED_SPU"] = (directory / "missing.csv").string();
    const ProcessResult unreadable = runKnockbox({"--sensor-stream"}, missing);
    EXPECT_EQ(unreadable.exitStatus, 1);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err.rfind("Błąd: KNOCKBOX_SIMULATED_SPU: ", 0), 0u) << unreadable.err;
}

TEST(Unprivileged, TheHelperRunsProgramsAsNobodyWhenTestsAreRoot) {
    const test::Command command = test::asUnprivilegedUser("/usr/bin/id", [] {
        ProcessSetup setup;
        setup.arguments = {"-u"};
        return setup;
    }());
    test::ChildProcess child(command.executable, command.setup);
    const ProcessResult result = child.wait(10);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, (geteuid() == 0 ? std::string("65534") : std::to_string(geteuid())) + "\n");
}

}  // namespace
}  // namespace knockbox
