// The sensor process, --probe, --check-access and live play's refusals of the
// built executable, against the simulated sensor. How reports become samples
// is checked on the sensor itself (tests/sensor); the sensor process's
// failures and its end on a signal or a closed pipe through live play, in
// live_mode_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <regex>

#include "protocol/player_lines.h"
#include "sensor/sample_line.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
using test::linesOf;
using test::ProcessResult;
using test::ProcessSetup;
using test::runKnockbox;

// Who runs the program: the tests' own user, an unprivileged one, or root
// (only when the tests are root).
enum class As { caller, user, root };

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
        // Each a sample line as the player reads it (its digits: the recording's
        // tests, whose lines are made the same way), with a gyroscope or without.
        for (const std::string& line : lines) {
            const std::optional<AccelSample> sample = parseSampleLine(line);
            ASSERT_TRUE(sample && sample->gyro.has_value() == gyroscope) << line;
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

// Each mode's answer about the sensor, as one line: --probe only looks (it
// opens nothing), --check-access opens and closes the sensor once, and live
// play refuses what it cannot start with before anything starts (a sudo that
// would ask for a password, a missing sensor; root, when the tests are root).
TEST_F(SensorProcess, EachModeSaysWhatItFoundInOneLine) {
    const std::string present = "SPU accel 0xFF00/3, report22: obecny. Odczyt raportów sprawdzany przy uruchomieniu.";
    const std::string absent = "Błąd: Brak akcelerometru SPU HID 0xFF00/3 z raportem 22 B na tym Macu.";
    const struct {
        std::vector<std::string> arguments;
        ProcessSetup setup;
        As as;
        int status;
        std::string err;  // without its line feed; none when empty
    } cases[] = {
        {{"--probe"}, simulated(), As::caller, 0, present},
        {{"--probe"}, simulated("open-refused"), As::caller, 0, present},
        {{"--probe"}, simulated(), As::user, 0, present},
        {{"--probe"}, noSensor(), As::caller, 1, "Błąd: SPU accel 0xFF00/3, report22: NIE ZNALEZIONO."},
        {{"--check-access"}, simulated(), As::caller, 0, ""},
        {{"--check-access"}, simulated("busy"), As::caller, 1,
         "Błąd: IOHIDDeviceOpen akcelerometru SPU: urządzenie zajęte przez inny proces (0xe00002c5). W razie "
         "odmowy dostępu uruchom helper sensora przez sudo; nie jest potrzebne sudo do audio."},
        {{"--check-access"}, noSensor(), As::caller, 1,
         "Błąd: Brak akcelerometru AppleSPUHIDDevice (SPU, usage 3, raport 22 B). Wymagany jest obsługiwany "
         "MacBook z Apple Silicon."},
        // Without --direct-sensor the sensor process goes through "sudo -n",
        // which the test user may not use.
        {{"--mute"}, simulated(), As::user, 1, lines::error(lines::sudoNeedsPassword)},
        {{"--direct-sensor", "--mute"}, noSensor(), As::user, 1, absent},
        {{"--direct-sensor", "--mute"}, simulated(), As::root, 1,
         "Błąd: Uruchom ./run.sh bez sudo. Tylko proces sensora potrzebuje root."},
        {{"--mute"}, noSensor(), As::root, 1, absent},  // the sensor's absence is told first, also to root
    };
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/sudo")) << "scripts/install-deps.sh installs sudo";
    for (const auto& c : cases) {
        if (c.as == As::root && geteuid() != 0) continue;  // the root refusal needs tests run as root
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const ProcessResult result = c.as == As::user ? test::runKnockboxUnprivileged(c.arguments, c.setup, 20)
                                                  : runKnockbox(c.arguments, c.setup, 20);
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err.empty() ? "" : c.err + "\n");
    }
}

}  // namespace
}  // namespace knockbox
