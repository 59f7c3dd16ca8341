#include "player/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "core/app_error.h"
#include "core/number_text.h"
#include "platform/run_loop.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/scenes.h"

namespace knockbox {
namespace {

// A muted session whose lines are collected and whose clock stands still.
struct SessionProbe {
    std::vector<std::string> lines;
    double now = 100.0;

    SessionEnvironment environment() {
        return {[this] { return now; }, [this](std::string_view line) { lines.emplace_back(line); }, {}};
    }
};

// The options of a muted run with these arguments, as the player parses them.
Options muted(std::vector<std::string> arguments = {}) {
    arguments.push_back("--mute");
    return parseOptions(arguments);
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

// The ready lines (their text: tests/e2e) come after two seconds of sample
// time at any rate; a low rate adds a warning.
TEST(Session, ReadyAfterTwoSecondsOfSampleTimeAndALowRateWarns) {
    SessionProbe probe;
    Session session(muted(), probe.environment());
    feedQuiet(session, 5000.0, 1.99);
    EXPECT_FALSE(session.warm());
    EXPECT_TRUE(probe.lines.empty());
    feedQuiet(session, 5001.99, 0.5);
    ASSERT_TRUE(session.warm());
    EXPECT_EQ(probe.lines.size(), 2u);
    session.stop();
    session.stop();  // a second stop writes nothing
    EXPECT_EQ(probe.lines.back(), "Koniec: 1992 próbek, 0 uderzeń, 0 niepewnych stron.");
    EXPECT_EQ(probe.lines.size(), 3u);

    SessionProbe slowProbe;
    Session slow(muted(), slowProbe.environment());
    feedQuiet(slow, 0.0, 2.1, 400);
    ASSERT_EQ(slowProbe.lines.size(), 3u);
    EXPECT_TRUE(slowProbe.lines[0].starts_with("GOTOWE · 400 Hz ·")) << slowProbe.lines[0];
    EXPECT_EQ(slowProbe.lines[2], "Uwaga: niski rate sensora — rozpoznawanie strony może być mniej pewne.");
}

TEST(Session, UnreliableSidesAreReportedNotPlayed) {
    for (bool debug : {false, true}) {
        SessionProbe probe;
        SessionEnvironment environment = probe.environment();
        // A firm-tap model without an opinion: every firm tap's side is uncertain.
        environment.loadProfiles = [](const Options&, TapDetector& detector, const SessionEnvironment::Log&) {
            detector.setSideProfile(FirmSideModel([](const SideFeatures&) { return std::optional<SidePrediction>(); }));
        };
        Session session(muted(debug ? std::vector<std::string>{"--debug"} : std::vector<std::string>{}), environment);
        for (const AccelSample& sample : simulation::render(test::fourDrums(1, 3.5))) session.receive(sample, true);
        session.stop();
        EXPECT_EQ(session.hitCount(), 0);
        EXPECT_EQ(session.uncertainHits(), 4);
        const auto uncertain = [](const std::string& line) { return line.starts_with("NIEPEWNE"); };
        EXPECT_EQ(std::count_if(probe.lines.begin(), probe.lines.end(), uncertain), 4);
        const auto hit = std::find_if(probe.lines.begin(), probe.lines.end(), uncertain);
        ASSERT_NE(hit, probe.lines.end());
        EXPECT_TRUE(std::regex_match(*hit, std::regex(debug ? "NIEPEWNE · peak 0\\.\\d{3} g · model główny · strona 50%"
                                                            : "NIEPEWNE · klepnij bliżej boku obudowy")))
            << *hit;
        EXPECT_EQ(probe.lines.back(), "Koniec: 2800 próbek, 0 uderzeń, 4 niepewnych stron.");
    }
}

// Each sound a session starts, as the delay from its tap's onset to the
// sample that started it; and whether the session asked for prompt samples
// in the warm-up and between the taps.
struct Sounded {
    std::vector<double> delays;
    bool promptInWarmUp = false, promptBetweenTaps = false;
};

Sounded play(Session& session, const std::vector<AccelSample>& samples) {
    Sounded sounded;
    long started = 0;
    for (const AccelSample& sample : samples) {
        session.receive(sample, true);
        const double elapsed = sample.t - samples.front().t;
        if (elapsed < 1.9) sounded.promptInWarmUp |= session.awaitingHit();
        if (elapsed > 2.1 && elapsed < 2.15) sounded.promptBetweenTaps |= session.awaitingHit();  // before the first tap
        if (session.soundsStarted() == started) continue;
        started = session.soundsStarted();
        sounded.delays.push_back(sample.t - session.lastSoundOnset());
    }
    session.stop();
    return sounded;
}

TEST(Session, FastTriggerSoundsEachTapFromItsFirstMillisecondsAndWritesTheSameLines) {
    const std::vector<AccelSample> samples = simulation::render(test::fourDrums(1, 3.5));
    SessionProbe plainProbe, fastProbe;
    Session plain(muted(), plainProbe.environment());
    Session fast(muted({"--fast-trigger"}), fastProbe.environment());
    const Sounded full = play(plain, samples), early = play(fast, samples);

    EXPECT_EQ(fastProbe.lines, plainProbe.lines);
    ASSERT_EQ(plainProbe.lines.size(), 7u);
    ASSERT_EQ(full.delays.size(), 4u);
    ASSERT_EQ(early.delays.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(full.delays[i] >= 0.034 && full.delays[i] < 0.0365) << i << ": " << full.delays[i];
        // These clear taps are decided by the first sample judged, from 3 ms on.
        EXPECT_TRUE(early.delays[i] >= 0.003 && early.delays[i] < 0.0045) << i << ": " << early.delays[i];
    }
    // Between taps an onset's early sound is due within a slice, so samples are
    // wanted at once; during the warm-up no tap can start.
    EXPECT_FALSE(full.promptInWarmUp || early.promptInWarmUp);
    EXPECT_FALSE(full.promptBetweenTaps);
    EXPECT_TRUE(early.promptBetweenTaps);
}

TEST(Session, FastTriggerNeverSoundsATapTwice) {
    // A second knock 14 ms into a gentle tap lifts its peak past the accent:
    // the early decision heard a kick, the full window finds a tom.
    const simulation::Scene rebound{.duration = 2.5, .taps = {{2.2, Side::left, simulation::Strength::gentle, 0.11, 0.014, 2.2}}};
    // A light model sure of a tap only with its impulse signature, which
    // only the full window forms: the early decision waits for it until 8 ms
    // in, nothing sounds early, the full window plays.
    const auto unsureEarly = [](const Options&, TapDetector& detector, const SessionEnvironment::Log&) {
        detector.setLightSideProfile(LightSideModel(1.0, [](const SideFeatures&, const std::optional<SideFeatures>& impulse) {
            return std::optional<SidePrediction>({Side::left, impulse ? 0.9 : 0.55, impulse.has_value(), false});
        }));
    };
    struct Case {
        const char* name;
        SessionEnvironment::ProfileLoader models;
        const char* line;
        bool soundedEarly;
    };
    const Case cases[] = {
        {"rebound", {},
         R"(L  tom     peak 0\.1\d\d g  volume 0\.\d\d  X -0\.\d{4}  strona \d+%  model heurystyka  threshold 0\.050)"
         R"(  wcześnie L delikatne  peak 0\.1[01]\d g  głośność 0\.\d\d  strona \d+%  model heurystyka  po (\d\.\d) ms)",
         true},
        {"unsure early", unsureEarly,
         R"(L  tom     peak 0\.1\d\d g  volume 0\.\d\d  X -0\.\d{4}  strona 90%  model lekki  threshold 0\.050)"
         R"(  wcześnie niepewne  peak 0\.1[01]\d g  strona 55%  model lekki  po (8\.\d) ms)",
         false},
    };
    for (const Case& test : cases) {
        SessionProbe probe;
        SessionEnvironment environment = probe.environment();
        environment.loadProfiles = test.models;
        Session session(muted({"--fast-trigger", "--debug", "--accent", "0.125"}), environment);
        const Sounded sounded = play(session, simulation::render(rebound));
        ASSERT_EQ(sounded.delays.size(), 1u) << test.name;
        EXPECT_EQ(sounded.delays[0] < 0.011, test.soundedEarly) << test.name;
        ASSERT_EQ(probe.lines.size(), 4u) << test.name;
        std::smatch decided;
        ASSERT_TRUE(std::regex_match(probe.lines[2], decided, std::regex(test.line))) << test.name << ": " << probe.lines[2];
        // The time shown is that of the sample that decided, and sounded when sure.
        if (test.soundedEarly) {
            EXPECT_EQ(decided[1].str(), fixed(sounded.delays[0] * 1000, 1)) << test.name;
        }
        EXPECT_EQ(session.hitCount(), 1) << test.name;
    }
}

// The typing calibration listens from 2 s to 7 s. Quiet "typing" leaves
// every threshold at its option; clicks as loud as those it heard no longer
// play, where a run without it plays them.
TEST(Session, TypingCalibrationSilencesTypingAsLoudAsItHeardAndNeverLowersOptions) {
    SessionProbe quietProbe;
    Session quiet(muted({"--calibrate-typing"}), quietProbe.environment());
    feedQuiet(quiet, 0.0, 6.99);
    EXPECT_EQ(quietProbe.lines, std::vector<std::string>{"Kalibracja: teraz pisz normalnie przez 5 s."});
    feedQuiet(quiet, 6.99, 0.1);
    ASSERT_EQ(quietProbe.lines.size(), 3u);
    EXPECT_EQ(quietProbe.lines[1], "GOTOWE · 800 Hz · próg 0.050 g · mocne 0.160 g · cooldown 120 ms");
    EXPECT_EQ(quiet.detector().config().fullVelocity, 0.5);

    simulation::Scene scene{.duration = 9.6};
    for (double t = 2.3; t < 9.5; t += 0.37) scene.clicks.push_back({t, 0.2});
    SessionProbe plainProbe, calibratedProbe;
    Session plain(muted(), plainProbe.environment());
    Session calibrated(muted({"--calibrate-typing"}), calibratedProbe.environment());
    for (const AccelSample& sample : simulation::render(scene)) {
        plain.receive(sample, true);
        calibrated.receive(sample, true);
    }
    ASSERT_GT(plain.hitCount() + plain.uncertainHits(), 0) << "clicks too soft to test with";
    EXPECT_EQ(calibrated.hitCount() + calibrated.uncertainHits(), 0);
    EXPECT_GT(calibrated.detector().config().threshold, 0.05);
    EXPECT_GE(calibrated.detector().config().accent, 0.16);
}

}  // namespace
}  // namespace knockbox
