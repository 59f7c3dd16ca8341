// The sensor process, --probe and --check-access of the built executable,
// against the simulated sensor. The sensor process's failures (no reports, a
// stall, a refused open) and its end on SIGTERM or a closed pipe are checked
// through live play, in live_mode_test.cpp.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <regex>
#include <thread>

#include "recording/csv_recording.h"
#include "sensor/sample_line.h"
#include "support/child_process.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
using test::linesOf;
using test::ProcessResult;
using test::ProcessSetup;
using test::runKnockbox;

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

// What the sensor makes of a value: Q16 in the report.
double q16(double value) { return std::round(value * 65536) / 65536; }

struct SensorProcess : ::testing::Test {
    void SetUp() override {
#ifdef __APPLE__
        GTEST_SKIP() << "the simulated sensor exists on Linux only";
#endif
        std::ofstream(recording) << recordingText(motion());
    }
    ProcessSetup simulated(const std::string& faults = "") const {
        return {.environment = {{"KNOCKBOX_SIMULATED_SPU", recording.string()},
                                {"KNOCKBOX_SIMULATED_SPU_FAULTS",
                                 faults.empty() ? std::nullopt : std::optional<std::string>(faults)}}};
    }
    static ProcessSetup noSensor() { return {.environment = {{"KNOCKBOX_SIMULATED_SPU", std::nullopt}}}; }

    test::TemporaryDirectory directory;
    std::filesystem::path recording = directory / "motion.csv";
};

TEST_F(SensorProcess, WritesOneExactlyFormattedLinePerReportAndItsSummary) {
    const auto recorded = parseRecording(recordingText(motion()));  // as the simulation reads it
    for (const bool gyroscope : {true, false}) {
        SCOPED_TRACE(gyroscope ? "with gyroscope" : "without gyroscope");
        const auto started = std::chrono::steady_clock::now();
        const ProcessResult result =
            runKnockbox({"--sensor-stream", "--duration", "0.5"}, simulated(gyroscope ? "" : "no-gyroscope"));
        const double ran = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        const auto lines = linesOf(result.out);
        // About half a second of reports: the stream ends at the first turn
        // of its loop after 0.5 s, so a busy machine that holds the loop up
        // can add reports, never more than the time the process ran.
        ASSERT_GE(lines.size(), 320u);
        ASSERT_LE(static_cast<double>(lines.size()), 800 * ran + 1);
        ASSERT_LE(lines.size(), recorded.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto sample = parseSampleLine(lines[i]);
            ASSERT_TRUE(sample) << lines[i];
            const AccelSample& source = recorded[i];
            AccelSample expected{sample->t, q16(source.x), q16(source.y), q16(source.z), std::nullopt};
            // A sample without its own gyro carries the one 1.25 ms before it.
            const GyroSample& gyro = *recorded[i % 4 == 3 ? i - 1 : i].gyro;
            if (gyroscope) expected.gyro = GyroSample{sample->t, q16(gyro.x), q16(gyro.y), q16(gyro.z)};
            ASSERT_EQ(lines[i] + "\n", formatSampleLine(expected)) << i;
            if (i > 0) {
                EXPECT_NEAR(sample->t - parseSampleLine(lines[i - 1])->t, 1 / 800.0, 1e-6) << i;
            }
        }
        auto errors = linesOf(result.err);
        if (!gyroscope) {
            ASSERT_FALSE(errors.empty());
            EXPECT_EQ(errors.front(), "SPU: brak opcjonalnego żyroskopu usage 9; działa sam akcelerometr.");
            errors.erase(errors.begin());
        }
        ASSERT_EQ(errors.size(), 1u) << result.err;
        // The rate as "%.1f".
        std::smatch summary;
        ASSERT_TRUE(std::regex_match(errors[0], summary, std::regex("Sensor: (\\d+) raportów, (\\d+\\.\\d) Hz\\.")))
            << errors[0];
        EXPECT_EQ(summary[1].str(), std::to_string(lines.size()));
        EXPECT_NEAR(std::stod(summary[2]), 800, 25);
    }
}

// Ctrl-C in a terminal reaches the sensor process too, not only the player.
TEST_F(SensorProcess, SigintEndsTheStreamWithItsSummary) {
    ProcessSetup setup = simulated();
    setup.arguments = {"--sensor-stream"};
    test::ChildProcess child(KNOCKBOX_EXECUTABLE, setup);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.sendSignal(SIGINT);
    const ProcessResult result = child.wait(5);
    EXPECT_EQ(result.exitStatus, 0);
    const auto lines = linesOf(result.out), errors = linesOf(result.err);
    EXPECT_GE(lines.size(), 50u);
    ASSERT_EQ(errors.size(), 1u) << result.err;
    EXPECT_EQ(errors[0].rfind("Sensor: " + std::to_string(lines.size()) + " raportów, ", 0), 0u) << errors[0];
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
    EXPECT_EQ(fine.out + fine.err, "");

    const ProcessResult busy = runKnockbox({"--check-access"}, simulated("busy"));
    EXPECT_EQ(busy.exitStatus, 1);
    EXPECT_EQ(busy.err,
              "Błąd: IOHIDDeviceOpen akcelerometru SPU: urządzenie zajęte przez inny proces (0xe00002c5). W razie "
              "odmowy dostępu uruchom helper sensora przez sudo; nie jest potrzebne sudo do audio.\n");

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

    const ProcessResult unreadable = runKnockbox(
        {"--sensor-stream"}, {.environment = {{"KNOCKBOX_SIMULATED_SPU", (directory / "missing.csv").string()}}});
    EXPECT_EQ(unreadable.exitStatus, 1);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err.rfind("Błąd: KNOCKBOX_SIMULATED_SPU: ", 0), 0u) << unreadable.err;
}

}  // namespace
}  // namespace knockbox
