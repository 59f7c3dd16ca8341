// The motion sensor against the simulated SPU registry: matching, opening,
// waking, report decoding, keep-alive and restore.
#include "sensor/spu_sensor.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "platform/monotonic_clock.h"
#include "sensor/simulated_motion_hid.h"
#include "support/thrown.h"

namespace knockbox {
namespace {

constexpr int accel = SimulatedMotionHid::accelerometerUsage;
constexpr int gyro = SimulatedMotionHid::gyroscopeUsage;

// One second of gentle motion at 800 Hz; every other sample has a gyro.
std::vector<AccelSample> motion() {
    std::vector<AccelSample> samples;
    for (int i = 0; i < 800; ++i) {
        AccelSample sample{50.0 + i / 800.0, 0.01 * std::sin(i / 10.0), -0.02, -1.0 + 0.001 * i, {}};
        if (i % 2 == 0) sample.gyro = GyroSample{sample.t, 0.5, -0.25, 0.1 * std::cos(i / 7.0)};
        samples.push_back(sample);
    }
    return samples;
}

double q16(double value) { return std::round(value * 65536) / 65536; }

// A driver's property as the registry shows it.
std::optional<RegistryValue> driverProperty(MotionHid& hid, int usage, const std::string& name) {
    std::vector<std::unique_ptr<RegistryService>> drivers;
    hid.matching("AppleSPUHIDDriver", drivers);
    for (const auto& driver : drivers)
        if (driver->property("PrimaryUsage") == RegistryValue(std::int32_t{usage})) return driver->property(name);
    return std::nullopt;
}

// A property write as "<usage> <name>=<value>".
std::string writeText(int usage, const std::string& name, const RegistryValue& value) {
    const auto* number = std::get_if<std::int32_t>(&value);
    return std::to_string(usage) + " " + name + "=" + (number ? std::to_string(*number) : "(not an int32)");
}

struct Rig {
    explicit Rig(SimulatedFaults faults = {}, bool present = true)
        : hid({present, motion(), faults}),
          sensor(hid, loop, [this](std::string_view line) { lines.emplace_back(line); }) {}
    void start() {
        sensor.start([this](const AccelSample& sample) { samples.push_back(sample); });
    }
    // The driver property writes so far, of one usage or of all.
    std::vector<std::string> writes(std::optional<int> usage = std::nullopt) const {
        std::vector<std::string> result;
        for (const auto& write : hid.driverWrites())
            if (!usage || write.usage == *usage) result.push_back(writeText(write.usage, write.name, write.value));
        return result;
    }

    RunLoop loop;
    SimulatedMotionHid hid;
    SPUSensor sensor;
    std::vector<AccelSample> samples;
    std::vector<std::string> lines;
};

// Turns the rig's loop until the condition holds, however long a busy
// machine takes (at most 10 s).
void runUntil(Rig& rig, const std::function<bool()>& done) {
    for (int slice = 0; slice < 1000 && !done(); ++slice) rig.loop.runFor(0.01);
}

std::vector<std::string> fullWake(int usage, int times = 1) {
    std::vector<std::string> writes;
    for (int i = 0; i < times; ++i) {
        for (auto [name, value] : {std::pair{"SensorPropertyReportingState", 1}, {"SensorPropertyPowerState", 1},
                                   {"ReportInterval", 8000}, {"ReportInterval", 1250}})
            writes.push_back(writeText(usage, name, std::int32_t{value}));
    }
    return writes;
}

// The unavailable, refused and busy texts are checked through the program
// (tests/e2e: --check-access, --probe and live play).
TEST(SPUSensor, AMissingOrUnopenedSensorIsNeitherOpenedNorWoken) {
    Rig absent({}, /*present=*/false);
    EXPECT_FALSE(SPUSensor::available(absent.hid));
    const auto unavailable = test::thrown<SPUSensorError>([&] { absent.start(); });
    ASSERT_TRUE(unavailable);
    EXPECT_EQ(unavailable->kind(), SPUSensorError::Case::unavailable);
    EXPECT_TRUE(absent.hid.driverWrites().empty());
    for (const SimulatedFaults& faults : {SimulatedFaults{.openRefused = true}, SimulatedFaults{.busy = true}}) {
        Rig rig(faults);
        EXPECT_TRUE(SPUSensor::available(rig.hid));
        const auto error = test::thrown<SPUSensorError>([&] { rig.start(); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), SPUSensorError::Case::open);
        EXPECT_TRUE(rig.hid.driverWrites().empty());
    }
    EXPECT_STREQ(SPUSensorError::enumeration(hidReturn::error).what(), "Nie można wyliczyć urządzeń SPU: 0xe00002bc.");
}

TEST(SPUSensor, MatchedDevicesDeliverDecodedSamplesWithFreshGyro) {
    Rig rig;
    const double started = uptime();
    rig.start();
    runUntil(rig, [&] { return rig.samples.size() >= 150; });
    // Only the real services report: a look-alike would have given nothing.
    ASSERT_GE(rig.samples.size(), 150u);
    EXPECT_TRUE(rig.lines.empty());

    // Stamped with the host clock at the recording's pace from the start (a
    // loop held up long enough may lose reports, never shift them); samples
    // without their own gyro keep the previous one, 1.25 ms old.
    const double first = rig.samples.front().t;
    EXPECT_GE(first, started);
    EXPECT_LT(first, started + 0.05);
    for (const AccelSample& sample : rig.samples) {
        ASSERT_NEAR((sample.t - first) * 800, std::round((sample.t - first) * 800), 1e-3) << sample.t;
        ASSERT_TRUE(sample.gyro) << sample.t;
        EXPECT_LT(std::abs(sample.gyro->t - sample.t), 0.002);
    }
    // The last sample is the (looping) recording's, by its stamp.
    const AccelSample& last = rig.samples.back();
    const AccelSample recorded = motion()[static_cast<std::size_t>(std::llround((last.t - first) * 800)) % 800];
    EXPECT_EQ(last.x, q16(recorded.x));
    EXPECT_EQ(last.y, q16(recorded.y));
    EXPECT_EQ(last.z, q16(recorded.z));
}

TEST(SPUSensor, StartWakesBothDriversFullyAndStopRestoresThem) {
    Rig rig;
    rig.sensor.stop();  // safe before start
    rig.start();
    std::vector<std::string> expected = fullWake(accel);
    for (const std::string& write : fullWake(gyro)) expected.push_back(write);
    EXPECT_EQ(rig.writes(), expected);
    rig.start();  // already started: nothing happens
    EXPECT_EQ(rig.writes(), expected);

    rig.loop.runFor(0.02);
    rig.sensor.stop();
    for (int usage : {accel, gyro}) {
        for (auto [name, value] : {std::pair{"SensorPropertyReportingState", 0}, {"SensorPropertyPowerState", 0},
                                   {"ReportInterval", 20000}})
            EXPECT_EQ(driverProperty(rig.hid, usage, name), RegistryValue(std::int32_t{value})) << name;
    }
    EXPECT_TRUE(rig.writes(5).empty());  // a driver of another usage is never touched

    // Stopped: no more samples, and a new start works again.
    const std::size_t count = rig.samples.size();
    rig.loop.runFor(0.02);
    EXPECT_EQ(rig.samples.size(), count);
    rig.start();
    rig.loop.runFor(0.02);
    EXPECT_GT(rig.samples.size(), count);
}

// (The samples without a gyro: SensorProcess.WritesOneSampleLinePerReportAndItsSummary.)
TEST(SPUSensor, WithoutGyroscopeItsDriverIsLeftAlone) {
    Rig rig({.noGyroscope = true});
    rig.start();
    runUntil(rig, [&] { return rig.writes(accel).size() > 4; });  // a keep-alive check
    rig.sensor.stop();
    EXPECT_EQ(rig.lines, std::vector<std::string>{"SPU: brak opcjonalnego żyroskopu usage 9; działa sam akcelerometr."});
    EXPECT_TRUE(rig.writes(gyro).empty());
}

// Only input reports of exactly 22 bytes become samples; a gyro report
// within 15 ms either way is attached, and a short one is ignored alike.
TEST(SPUSensor, Only22ByteInputReportsBecomeSamplesWithAGyroWithin15Milliseconds) {
    Rig rig({.noReports = true});
    rig.start();
    const auto report = SimulatedMotionHid::report(0.5, -0.25, -1.0);
    const std::uint64_t stamp = SimulatedMotionHid::ticks(12.5);
    std::vector<std::uint8_t> longer(report.begin(), report.end());
    longer.push_back(0);
    rig.hid.deliver(accel, longer, stamp);
    rig.hid.deliver(accel, std::span(report).first(21), stamp);
    rig.hid.deliver(accel, {}, stamp);
    rig.hid.deliver(accel, report, stamp, hidReturn::error);
    rig.hid.deliver(accel, report, stamp, hidReturn::success, HidReportType::feature);
    EXPECT_TRUE(rig.samples.empty());

    rig.hid.deliver(accel, report, stamp);
    ASSERT_EQ(rig.samples.size(), 1u);
    EXPECT_EQ(rig.samples[0], (AccelSample{12.5, 0.5, -0.25, -1.0, std::nullopt}));  // no gyro yet

    // Negative values and a time stamp of 0, which means "now".
    const double before = uptime();
    rig.hid.deliver(accel, SimulatedMotionHid::report(-3.0000153, 7.25, 0), 0);
    ASSERT_EQ(rig.samples.size(), 2u);
    EXPECT_GE(rig.samples[1].t, before);
    EXPECT_LE(rig.samples[1].t, uptime());
    EXPECT_EQ(rig.samples[1].x, q16(-3.0000153));
    EXPECT_EQ(rig.samples[1].y, 7.25);

    const auto accelAt = [&](double t) {
        rig.hid.deliver(accel, SimulatedMotionHid::report(0, 0, -1), SimulatedMotionHid::ticks(t));
        return rig.samples.back();
    };
    rig.hid.deliver(gyro, SimulatedMotionHid::report(1.5, -2, 0.25), SimulatedMotionHid::ticks(10.0));
    EXPECT_EQ(accelAt(10.014).gyro, (GyroSample{10.0, 1.5, -2, 0.25}));
    EXPECT_TRUE(accelAt(10.005).gyro);  // the same gyro sample again
    EXPECT_TRUE(accelAt(9.986).gyro);   // 14 ms before it counts too
    EXPECT_FALSE(accelAt(10.016).gyro);
    EXPECT_FALSE(accelAt(9.984).gyro);
    const auto other = SimulatedMotionHid::report(9, 9, 9);
    rig.hid.deliver(gyro, std::span(other).first(20), SimulatedMotionHid::ticks(10.016));
    EXPECT_FALSE(accelAt(10.017).gyro);
}

TEST(SPUSensor, KeepAliveRewakesAndAddsTheSlowIntervalOnlyAfterAStall) {
    // Reports at full rate: the check rewrites state, power and 1250 µs only.
    Rig steady;
    steady.start();
    runUntil(steady, [&] { return steady.writes(accel).size() >= 7; });
    std::vector<std::string> expected = fullWake(accel);
    expected.insert(expected.end(), {expected[0], expected[1], expected[3]});
    const std::vector<std::string> writes = steady.writes(accel);
    ASSERT_GE(writes.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(writes.begin(), writes.begin() + 7), expected);

    // Reports stop after 0.1 s: the check at 0.5 s wakes both fully again.
    Rig stalled({.stallAfter = 0.1});
    stalled.start();
    runUntil(stalled, [&] { return stalled.writes(gyro).size() >= 8; });
    for (int usage : {accel, gyro}) {
        const std::vector<std::string> stalledWrites = stalled.writes(usage);
        ASSERT_GE(stalledWrites.size(), 8u);
        EXPECT_EQ(std::vector<std::string>(stalledWrites.begin(), stalledWrites.begin() + 8), fullWake(usage, 2));
    }
    EXPECT_LT(stalled.samples.size(), 100u);
}

// The handler may end the stream itself (as the sensor process does when its
// reader goes away): nothing it runs on may be freed under it, and the
// devices are released once their callback has returned (the simulated
// registry ends the test otherwise).
TEST(SPUSensor, StopFromInsideTheSampleHandlerEndsTheStreamCleanly) {
    Rig rig;
    const auto interval = driverProperty(rig.hid, accel, "ReportInterval");
    int calls = 0, after = 0;
    // Too large for any function's inline storage: the handler lives on the heap.
    const std::array<int, 32> payload{1, 2, 3};
    rig.sensor.start([&, payload](const AccelSample&) {
        ++calls;
        rig.sensor.stop();
        after = payload[2];  // the handler is still running here
    });
    rig.loop.runFor(0.05);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(after, 3);
    EXPECT_EQ(driverProperty(rig.hid, accel, "ReportInterval"), interval);  // restored
    rig.start();  // and it can be started again
    rig.loop.runFor(0.05);
    EXPECT_FALSE(rig.samples.empty());
}

// What the handler throws reaches whoever turns the loop and leaves no
// trace: samples go on to the handler.
TEST(SPUSensor, AThrowingHandlerLeavesTheSensorAsItWas) {
    Rig rig;
    int calls = 0;
    rig.sensor.start([&](const AccelSample&) {
        if (++calls == 1) throw std::runtime_error("from the handler");
    });
    EXPECT_THROW(runUntil(rig, [&] { return calls >= 1; }), std::runtime_error);
    runUntil(rig, [&] { return calls >= 10; });
    EXPECT_GE(calls, 10);
}

TEST(SPUSensor, WakeFailureIsWrittenOncePerStart) {
    Rig rig({.wakeRefused = true});
    rig.start();
    runUntil(rig, [&] { return rig.hid.driverWrites().size() > 8 && rig.samples.size() >= 300; });  // it fails again
    EXPECT_GT(rig.hid.driverWrites().size(), 8u);
    const std::string warning =
        "SPU: budzenie driverów IMU nie powiodło się: odmowa uprawnień (0xe00002c1). Jeśli brak próbek, użyj "
        "sudo dla helpera sensora.";
    EXPECT_EQ(rig.lines, std::vector<std::string>{warning});
    EXPECT_GE(rig.samples.size(), 300u);  // drivers that already report go on

    rig.sensor.stop();
    rig.start();
    EXPECT_EQ(rig.lines, (std::vector<std::string>{warning, warning}));
}

}  // namespace
}  // namespace knockbox
