// The sensor process, --probe and --check-access of the built executable,
// against the simulated sensor. How reports become samples is checked on the
// sensor itself (tests/sensor); the sensor process's failures and its end on
// a signal or a closed pipe through live play, in live_mode_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>

#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
using test::linesOf;
using test::ProcessResult;
using test::ProcessSetup;
using test::runKnockbox;

struct SensorProcess : ::testing::Test {
    void SetUp() override {
#ifdef __APPLE__
        GTEST_SKIP() << "the simulated sensor exists on Linux only";
#endif
        test::writeRecording(recording, *simulation::scenario("quiet", 1, 2));
    }
    ProcessSetup simulated(const std::string& faults = "") const { return test::simulatedSensor(recording, faults); }
    static ProcessSetup noSensor() { return {.environment = {{"KNOCKBOX_SIMULATED_SPU", std::nullopt}}}; }

    test::TemporaryDirectory directory;
    std::filesystem::path recording = directory / "motion.csv";
};

TEST_F(SensorProcess, WritesOneSampleLinePerReportAndItsSummary) {
    // t with nine decimals, then three or six values with seven.
    const std::regex sampleLine(R"(\d+\.\d{9}( -?\d+\.\d{7}){3}(( -?\d+\.\d{7}){3})?)");
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
        for (const std::string& line : lines) {
            ASSERT_TRUE(std::regex_match(line, sampleLine)) << line;
            // Seven fields with the gyroscope, four without.
            ASSERT_EQ(std::count(line.begin(), line.end(), ' '), gyroscope ? 6 : 3) << line;
        }
        // Without the gyroscope the sensor first says so (its text: tests/sensor).
        const auto errors = linesOf(result.err);
        ASSERT_EQ(errors.size(), gyroscope ? 1u : 2u) << result.err;
        // The rate as "%.1f".
        std::smatch summary;
        ASSERT_TRUE(std::regex_match(errors.back(), summary, std::regex("Sensor: (\\d+) raportów, (\\d+\\.\\d) Hz\\.")))
            << errors.back();
        EXPECT_EQ(summary[1].str(), std::to_string(lines.size()));
        EXPECT_NEAR(std::stod(summary[2]), 800, 25);
    }
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

}  // namespace
}  // namespace knockbox
