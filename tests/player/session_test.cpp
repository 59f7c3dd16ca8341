#include "player/session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "player/app_error.h"
#include "player/run_loop.h"
#include "support/child_process.h"

namespace knockbox {
namespace {

// A muted session whose lines are collected and whose clock stands still.
struct SessionProbe {
    std::vector<std::string> lines;
    double now = 100.0;

    SessionEnvironment environment() {
        return {[this] { return now; }, [this](std::string_view line) { lines.emplace_back(line); }};
    }
};

Options mutedOptions() {
    Options options;
    options.muted = true;
    return options;
}

// A laptop at rest: gravity on z with a little noise, at `rate` samples a second.
void feedQuiet(Session& session, double start, double seconds, double rate = 800) {
    const int count = static_cast<int>(seconds * rate);
    for (int i = 0; i < count; ++i) {
        const double t = start + i / rate;
        const double wobble = 0.0015 * std::sin(i * 1.7);
        session.receive({t, 0.01 + wobble, -0.02, -1.0 + wobble, std::nullopt}, true);
    }
}

TEST(Session, ReadyLineAfterTwoSecondsOfSampleTime) {
    SessionProbe probe;
    Session session(mutedOptions(), probe.environment());
    feedQuiet(session, 5000.0, 1.99);
    EXPECT_FALSE(session.warm());
    EXPECT_TRUE(probe.lines.empty());
    feedQuiet(session, 5001.99, 0.5);
    ASSERT_TRUE(session.warm());
    ASSERT_EQ(probe.lines.size(), 2u);
    EXPECT_EQ(probe.lines[0], "GOTOWE · 800 Hz · próg 0.050 g · mocne 0.160 g · cooldown 120 ms");
    EXPECT_EQ(probe.lines[1], "L: kick/tom  |  R: hi-hat/snare  |  Ctrl-C: koniec");
    session.stop();
    session.stop();  // a second stop writes nothing
    EXPECT_EQ(probe.lines.back(), "Koniec: 1992 próbek, 0 uderzeń, 0 niepewnych stron.");
    EXPECT_EQ(probe.lines.size(), 3u);
}

TEST(Session, ShortRecordingOnlySummarises) {
    SessionProbe probe;
    Session session(mutedOptions(), probe.environment());
    feedQuiet(session, 0.0, 1.5);
    session.stop();
    EXPECT_EQ(probe.lines, std::vector<std::string>{"Koniec: 1200 próbek, 0 uderzeń, 0 niepewnych stron."});
}

TEST(Session, LowRateWarning) {
    SessionProbe probe;
    Session session(mutedOptions(), probe.environment());
    feedQuiet(session, 0.0, 2.1, 400);
    ASSERT_EQ(probe.lines.size(), 3u);
    EXPECT_TRUE(probe.lines[0].starts_with("GOTOWE · 400 Hz ·")) << probe.lines[0];
    EXPECT_EQ(probe.lines[2], "Uwaga: niski rate sensora — rozpoznawanie strony może być mniej pewne.");
}

TEST(Session, TypingCalibrationWaitsSevenSecondsAndNeverLowersOptions) {
    SessionProbe probe;
    Options options = mutedOptions();
    options.calibrateTyping = true;
    Session session(options, probe.environment());
    feedQuiet(session, 0.0, 6.99);
    ASSERT_EQ(probe.lines.size(), 1u);
    EXPECT_EQ(probe.lines[0], "Kalibracja: teraz pisz normalnie przez 5 s.");
    feedQuiet(session, 6.99, 0.1);
    ASSERT_EQ(probe.lines.size(), 3u);
    // Quiet "typing" leaves every threshold at its option.
    EXPECT_EQ(probe.lines[1], "GOTOWE · 800 Hz · próg 0.050 g · mocne 0.160 g · cooldown 120 ms");
    EXPECT_EQ(session.detector().config.fullVelocity, 0.5);
}

TEST(Session, TracksTheWallClockOfEverySample) {
    SessionProbe probe;
    Session session(mutedOptions(), probe.environment());
    EXPECT_EQ(session.lastWall(), 100.0);
    probe.now = 107.5;
    session.receive({1.0, 0, 0, -1, std::nullopt}, true);
    EXPECT_EQ(session.lastWall(), 107.5);
    EXPECT_EQ(session.count(), 1);
}

TEST(Session, RecordingThatCannotBeCreated) {
    Options options = mutedOptions();
    options.record = "/nonexistent-dir/x.csv";
    SessionProbe probe;
    try {
        Session session(options, probe.environment());
        FAIL() << "created";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), "Nie można zapisać nagrania: /nonexistent-dir/x.csv");
    }
}

TEST(Session, RecordingFormatAndUnwritableTarget) {
    Options options = mutedOptions();
    options.record = "/dev/full";  // accepts the open, fails every write
    SessionProbe probe;
    EXPECT_THROW(Session(options, probe.environment()), AppError);  // even the header fails here

    test::TemporaryDirectory directory;
    options.record = (directory / "r.csv").string();
    Session session(options, probe.environment());
    session.receive({1.0, 0.1, 0.2, -1.0, GyroSample{1.0, 0.5, -0.25, 0}}, true);
    session.receive({1.00125, 0.1, 0.2, -1.0, std::nullopt}, true);
    session.stop();
    EXPECT_EQ(test::readFile(directory / "r.csv"),
              "t,x,y,z,gx,gy,gz\n"
              "1.000000000,0.1000000,0.2000000,-1.0000000,0.5000000,-0.2500000,0.0000000\n"
              "1.001250000,0.1000000,0.2000000,-1.0000000,,,\n");
    running = true;
}

}  // namespace
}  // namespace knockbox
