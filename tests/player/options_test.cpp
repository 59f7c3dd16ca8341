#include "player/options.h"

#include <gtest/gtest.h>

#include "core/app_error.h"

namespace knockbox {
namespace {

Options parse(std::vector<std::string> arguments) { return parseOptions(arguments); }

std::string failure(std::vector<std::string> arguments) {
    try {
        parseOptions(arguments);
    } catch (const AppError& error) {
        return error.message();
    }
    return "(accepted)";
}

TEST(Options, ValuesReachTheirFields) {
    EXPECT_EQ(parse({}).volume, static_cast<double>(1.2f));
    const Options options =
        parse({"--threshold", "0.1", "--cooldown", "250", "--accent", "0.2", "--full-velocity", "0.9",
               "--volume", "0.5", "--duration", "3.5", "--side-bias", "-0.01", "--record", "r.csv",
               "--invert-sides", "--calibrate-typing", "--no-side-profile", "--no-typing-guard",
               "--mute", "--debug", "--direct-sensor", "--fast-trigger", "--sensor-program", "/s/k"});
    EXPECT_EQ(options.config, (DetectorConfig{.threshold = 0.1, .cooldown = 0.25, .accent = 0.2, .fullVelocity = 0.9,
                                              .invertSides = true, .sideBias = -0.01}));
    EXPECT_EQ(options.volume, 0.5);
    EXPECT_EQ(options.duration, 3.5);
    EXPECT_EQ(options.record, "r.csv");
    EXPECT_EQ(options.sensorProgram, "/s/k");
    EXPECT_TRUE(options.calibrateTyping && options.noSideProfile && options.noTypingGuard &&
                options.muted && options.debug && options.directSensor && options.fastTrigger);
    const Options strong = parse({"--calibrate-strong"});
    EXPECT_TRUE(strong.calibrateSides && strong.calibrateStrong && strong.learningSides());
    const Options light = parse({"--calibrate-light"});
    EXPECT_TRUE(light.calibrateLight && light.learningSides() && !light.calibrateSides);
    // The calibrations collect full-window hits whatever the trigger: the
    // fast trigger is accepted with them and left out of their runs.
    for (const char* calibration : {"--calibrate-sides", "--calibrate-strong", "--calibrate-light", "--calibrate-typing"})
        EXPECT_TRUE(parse({calibration, "--fast-trigger"}).fastTrigger) << calibration;
}

TEST(Options, LastModeWinsAndPathIsShared) {
    EXPECT_EQ(parse({}).mode, RunMode::live);
    EXPECT_EQ(parse({"--help", "--replay", "a.csv"}).mode, RunMode::replay);
    const Options exported = parse({"--replay", "a.csv", "--export-samples", "d"});
    EXPECT_EQ(exported.mode, RunMode::exportSamples);
    EXPECT_EQ(exported.path, "d");
    EXPECT_EQ(parse({"--demo", "-h"}).mode, RunMode::help);
    // (Each mode's own option: its run through the program, in tests/e2e and tests/app.)
}

// (A kit, then one drum's sound: tests/e2e/export_test.cpp.)
TEST(Options, KitsApplyInOrder) {
    EXPECT_EQ(parse({"--kick-sound", "lofi", "--kit", "live"}).sounds, SoundSelection::all(DrumKit::live));
    EXPECT_EQ(parse({"--snare-sound", "live", "--hihat-sound", "lofi", "--tom-sound", "electronic"}).sounds,
              (SoundSelection{DrumKit::studio, DrumKit::live, DrumKit::lofi, DrumKit::electronic}));
}

TEST(Options, MidiAndTakes) {
    const Options options = parse({"--midi", "--midi-note", "kick=35", "--midi-note", "tom=0", "--midi-note",
                                   "hihat=127", "--midi-channel", "16", "--take", "a.MID", "--take", "b.wav",
                                   "--take", "c.midi"});
    EXPECT_TRUE(options.midi && options.midiMapping == (MidiMapping{{35, 38, 127, 0}, 16}));
    EXPECT_EQ(options.takeMidi, "c.midi");  // the later of a kind wins
    EXPECT_EQ(options.takeWave, "b.wav");
}

TEST(Options, ValuesAtTheLimitsAreAccepted) {
    for (const auto& good : std::vector<std::vector<std::string>>{
             {"--threshold", "0.008"}, {"--threshold", "0.15", "--accent", "0.3", "--full-velocity", "0.6"},
             {"--threshold", "0.5", "--accent", "0.6", "--full-velocity", "0.7"}, {"--cooldown", "70"},
             {"--cooldown", "2000"}, {"--volume", "0"}, {"--volume", "1.5"}, {"--volume", "-0"},
             {"--duration", "0.001"}, {"--kit", "live"}})
        EXPECT_EQ(failure(good), "(accepted)") << good[0] << " " << good[1];
}

// The first bad argument is reported even where validation would fail too;
// validation comes before the calibration conflict.
TEST(Options, RefusedArgumentsAndTheirMessages) {
    const std::string required =
        "Wymagane: próg 0.008–0.5 g, threshold < accent < full-velocity, cooldown 70–2000 ms, "
        "volume 0–1.5, duration > 0.";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--kit"}, "Brak wartości po --kit."},
        {{"--threshold", "0.1g"}, "Nieprawidłowa liczba: 0.1g"}, {{"--threshold", ""}, "Nieprawidłowa liczba: "},
        {{"--threshold", " 0.1"}, "Nieprawidłowa liczba:  0.1"},
        {{"--threshold=0.1", "0.1"}, "Nieznana opcja: --threshold=0.1. Użyj --help."},
        {{"--HELP"}, "Nieznana opcja: --HELP. Użyj --help."}, {{"--thresh"}, "Nieznana opcja: --thresh. Użyj --help."},
        {{"replay.csv"}, "Nieznana opcja: replay.csv. Użyj --help."},
        {{"--tom-sound", "Studio"}, "Nieznane brzmienie: Studio. Wybierz studio, electronic albo lofi."},
        {{"--calibrate-light", "--calibrate-sides"}, "Wybierz --calibrate-sides albo --calibrate-light w jednej sesji."},
        {{"--sensor-program", "s/k"}, "--sensor-program wymaga ścieżki bezwzględnej: s/k"},
        {{"--threshold", "0.9", "--bogus"}, "Nieznana opcja: --bogus. Użyj --help."},
        {{"--volume", "x", "--kit", "808"}, "Nieprawidłowa liczba: x"},
        {{"--calibrate-sides", "--calibrate-light", "--volume", "2"}, required},
        {{"--threshold", "0.0079"}, required}, {{"--accent", "0.05"}, required}, {{"--accent", "0.5"}, required},
        {{"--threshold", "0.51", "--accent", "0.6", "--full-velocity", "0.7"}, required},
        {{"--full-velocity", "0.16"}, required}, {{"--cooldown", "69.9"}, required},
        {{"--cooldown", "2000.1"}, required}, {{"--duration", "0"}, required}, {{"--duration", "-1"}, required},
        {{"--volume", "-0.1"}, required}, {{"--volume", "1.5000001"}, required},
        {{"--take", "groove.csv"}, "Nieznany rodzaj pliku take: groove.csv. Użyj .mid albo .wav."},
        {{"--take", ".mid"}, "Nieznany rodzaj pliku take: .mid. Użyj .mid albo .wav."},
    };
    for (const auto& [arguments, message] : cases)
        EXPECT_EQ(failure(arguments), message) << testing::PrintToString(arguments);
    for (const std::string note : {"kick", "kick=", "kick=128", "kick=-1", "kick=+1", "kick=3.0", "Kick=36", "36",
                                   "bell=36", "kick=36 "})
        EXPECT_EQ(failure({"--midi-note", note}),
                  "Nieprawidłowa nuta MIDI: " + note + ". Podaj kick, snare, hihat albo tom i numer 0–127, np. kick=36.");
    for (const std::string channel : {"0", "17", "ten", "1.0", ""})
        EXPECT_EQ(failure({"--midi-channel", channel}), "Nieprawidłowy kanał MIDI: " + channel + ". Wybierz 1–16.");
}

}  // namespace
}  // namespace knockbox
