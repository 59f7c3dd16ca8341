#include "player/options.h"

#include <gtest/gtest.h>

#include "player/app_error.h"

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

const std::string required =
    "Wymagane: próg 0.008–0.5 g, threshold < accent < full-velocity, cooldown 70–2000 ms, "
    "volume 0–1.5, duration > 0.";

TEST(Options, NoArgumentsGiveLiveModeWithDefaults) {
    const Options options = parse({});
    EXPECT_EQ(options.mode, "live");
    EXPECT_EQ(options.config, DetectorConfig{});
    EXPECT_EQ(options.volume, static_cast<double>(1.2f));
    EXPECT_EQ(options.sounds, SoundSelection{});
    EXPECT_FALSE(options.duration || options.path || options.record);
    EXPECT_FALSE(options.learningSides());
}

TEST(Options, ValuesReachTheirFields) {
    const Options options =
        parse({"--threshold", "0.1", "--cooldown", "250", "--accent", "0.2", "--full-velocity", "0.9",
               "--volume", "0.5", "--duration", "3.5", "--side-bias", "-0.01", "--record", "r.csv",
               "--invert-sides", "--calibrate-typing", "--no-side-profile", "--no-typing-guard",
               "--mute", "--debug", "--direct-sensor"});
    EXPECT_EQ(options.config.threshold, 0.1);
    EXPECT_EQ(options.config.cooldown, 0.25);
    EXPECT_EQ(options.config.accent, 0.2);
    EXPECT_EQ(options.config.fullVelocity, 0.9);
    EXPECT_EQ(options.config.sideBias, -0.01);
    EXPECT_TRUE(options.config.invertSides);
    EXPECT_EQ(options.volume, 0.5);
    EXPECT_EQ(options.duration, 3.5);
    EXPECT_EQ(options.record, "r.csv");
    EXPECT_TRUE(options.calibrateTyping && options.noSideProfile && options.noTypingGuard &&
                options.muted && options.debug && options.directSensor);
    EXPECT_EQ(options.config.typingSuppress, 0.45);
}

TEST(Options, LastModeWinsAndPathIsShared) {
    EXPECT_EQ(parse({"--help", "--replay", "a.csv"}).mode, "replay");
    const Options exported = parse({"--replay", "a.csv", "--export-samples", "d"});
    EXPECT_EQ(exported.mode, "export");
    EXPECT_EQ(exported.path, "d");
    EXPECT_EQ(parse({"--demo", "-h"}).mode, "help");
    EXPECT_EQ(parse({"--ui"}).mode, "ui");
    EXPECT_EQ(parse({"--probe"}).mode, "probe");
    EXPECT_EQ(parse({"--check-access"}).mode, "check-access");
    EXPECT_EQ(parse({"--sensor-stream"}).mode, "sensor");
    EXPECT_EQ(parse({"--self-test"}).mode, "self-test");
}

TEST(Options, CalibrationSwitches) {
    const Options strong = parse({"--calibrate-strong"});
    EXPECT_TRUE(strong.calibrateSides && strong.calibrateStrong && strong.learningSides());
    const Options light = parse({"--calibrate-light"});
    EXPECT_TRUE(light.calibrateLight && light.learningSides() && !light.calibrateSides);
    const std::string both = "Wybierz --calibrate-sides albo --calibrate-light w jednej sesji.";
    EXPECT_EQ(failure({"--calibrate-strong", "--calibrate-light"}), both);
    EXPECT_EQ(failure({"--calibrate-light", "--calibrate-sides"}), both);
}

TEST(Options, KitsApplyInOrder) {
    EXPECT_EQ(parse({"--kit", "electronic", "--kick-sound", "lofi"}).sounds,
              (SoundSelection{DrumKit::lofi, DrumKit::electronic, DrumKit::electronic, DrumKit::electronic}));
    EXPECT_EQ(parse({"--kick-sound", "lofi", "--kit", "live"}).sounds, SoundSelection::all(DrumKit::live));
    EXPECT_EQ(parse({"--snare-sound", "live", "--hihat-sound", "lofi", "--tom-sound", "electronic"}).sounds,
              (SoundSelection{DrumKit::studio, DrumKit::live, DrumKit::lofi, DrumKit::electronic}));
    EXPECT_EQ(failure({"--kit", "808"}), "Nieznane brzmienie: 808. Wybierz studio, electronic albo lofi.");
    EXPECT_EQ(failure({"--tom-sound", "Studio"}),
              "Nieznane brzmienie: Studio. Wybierz studio, electronic albo lofi.");
}

TEST(Options, MalformedArguments) {
    EXPECT_EQ(failure({"--duration"}), "Brak wartości po --duration.");
    EXPECT_EQ(failure({"--kit"}), "Brak wartości po --kit.");
    EXPECT_EQ(failure({"--volume", "nan"}), "Nieprawidłowa liczba: nan");
    EXPECT_EQ(failure({"--volume", "1e999"}), "Nieprawidłowa liczba: 1e999");
    EXPECT_EQ(failure({"--threshold", "0.1g"}), "Nieprawidłowa liczba: 0.1g");
    EXPECT_EQ(failure({"--threshold", ""}), "Nieprawidłowa liczba: ");
    EXPECT_EQ(failure({"--threshold", " 0.1"}), "Nieprawidłowa liczba:  0.1");
    EXPECT_EQ(failure({"--threshold=0.1"}), "Nieznana opcja: --threshold=0.1. Użyj --help.");
    EXPECT_EQ(failure({"--HELP"}), "Nieznana opcja: --HELP. Użyj --help.");
    EXPECT_EQ(failure({"--thresh", "0.1"}), "Nieznana opcja: --thresh. Użyj --help.");
    EXPECT_EQ(failure({"replay.csv"}), "Nieznana opcja: replay.csv. Użyj --help.");
}

TEST(Options, FailuresComeInArgumentOrderBeforeValidation) {
    // The first bad argument is reported even though validation would fail too.
    EXPECT_EQ(failure({"--threshold", "0.9", "--bogus"}), "Nieznana opcja: --bogus. Użyj --help.");
    EXPECT_EQ(failure({"--volume", "x", "--kit", "808"}), "Nieprawidłowa liczba: x");
    // Validation comes before the calibration conflict.
    EXPECT_EQ(failure({"--calibrate-sides", "--calibrate-light", "--volume", "2"}), required);
}

TEST(Options, ValidationBoundaries) {
    EXPECT_NO_THROW(parse({"--threshold", "0.008"}));
    EXPECT_NO_THROW(parse({"--threshold", "0.15", "--accent", "0.3", "--full-velocity", "0.6"}));
    EXPECT_NO_THROW(parse({"--threshold", "0.5", "--accent", "0.6", "--full-velocity", "0.7"}));
    EXPECT_NO_THROW(parse({"--cooldown", "70"}));
    EXPECT_NO_THROW(parse({"--cooldown", "2000"}));
    EXPECT_NO_THROW(parse({"--volume", "0"}));
    EXPECT_NO_THROW(parse({"--volume", "1.5"}));
    EXPECT_NO_THROW(parse({"--volume", "-0"}));
    EXPECT_NO_THROW(parse({"--duration", "0.001"}));
    EXPECT_NO_THROW(parse({"--kit", "live"}));

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--threshold", "0.2", "--accent", "0.16"},
             {"--threshold", "0.0079"},
             {"--threshold", "0.51", "--accent", "0.6", "--full-velocity", "0.7"},
             {"--accent", "0.05"},
             {"--accent", "0.5"},
             {"--full-velocity", "0.16"},
             {"--cooldown", "60"},
             {"--cooldown", "69.9"},
             {"--cooldown", "2000.1"},
             {"--duration", "0"},
             {"--duration", "-1"},
             {"--volume", "-0.1"},
             {"--volume", "1.5000001"}})
        EXPECT_EQ(failure(bad), required) << bad[0] << " " << bad[1];
}

}  // namespace
}  // namespace knockbox
