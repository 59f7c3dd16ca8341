#include "app/ui_settings.h"

#include <gtest/gtest.h>

#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

// Every field away from its default, every switch flipped.
const UISettings changed{.threshold = 0.1 + 0.2, .cooldown = 90, .accent = 0.31, .fullVelocity = 0.75, .volume = 0.4,
                         .sounds = {DrumKit::lofi, DrumKit::live, DrumKit::electronic, DrumKit::studio},
                         .sideBias = -0.002, .invertSides = true, .useProfile = false, .typingGuard = false,
                         .muted = true, .debug = true, .fastTrigger = true, .sendMidi = true};

// (The defaults reaching the player as its own defaults, a file round trip and
// the invalid files the app starts over from are the self-test's checks, run
// end to end.)
TEST(UISettings, ArgumentsAreExactNumbersAndTheSwitchesThatAreOn) {
    EXPECT_EQ(changed.arguments(),
              (Arguments{"--threshold", "0.30000000000000004", "--cooldown", "90.0", "--accent", "0.31",
                         "--full-velocity", "0.75", "--side-bias", "-0.002", "--volume", "0.4", "--kick-sound", "lofi",
                         "--snare-sound", "live", "--hihat-sound", "electronic", "--tom-sound", "studio",
                         "--invert-sides", "--no-side-profile", "--no-typing-guard", "--mute", "--debug",
                         "--fast-trigger", "--midi"}));
    // The player reads the numbers back exactly, even one with a long shortest form.
    const Options options = parseOptions(changed.arguments());
    EXPECT_EQ(options.config.threshold, 0.1 + 0.2);
    EXPECT_TRUE(options.fastTrigger && options.midi);
}

TEST(UISettings, FileIsSortedPrettyAndComplete) {
    EXPECT_EQ(settingsFileText(UISettings{}), R"({
  "accent": 0.16,
  "cooldown": 120.0,
  "debug": false,
  "fastTrigger": false,
  "fullVelocity": 0.5,
  "invertSides": false,
  "muted": false,
  "sendMidi": false,
  "sideBias": 0.0,
  "sounds": {
    "hihat": "studio",
    "kick": "studio",
    "snare": "studio",
    "tom": "studio"
  },
  "threshold": 0.05,
  "typingGuard": true,
  "useProfile": true,
  "volume": 1.2
}
)");
}

TEST(UISettings, LoadingIsTolerantOfMissingKeysOnly) {
    test::TemporaryDirectory folder;
    const fs::path file = folder / "settings.json";
    const UISettings older{.threshold = 0.04, .muted = true};
    const std::pair<std::string, std::optional<UISettings>> cases[] = {
        // Written before volume and sounds existed; null reads as the default.
        {R"({"threshold": 0.04, "cooldown": 120, "muted": true, "debug": null, "future": [1, 2]})", older},
        {"{}", UISettings{}},
        // The engine's 32-bit default, widened, as older files kept it.
        {R"({"volume": 1.2000000476837158})", UISettings{}},
        {R"({"muted": 1})", std::nullopt},
        {R"({"sounds": {"kick": "studio", "snare": "studio", "hihat": "studio"}})", std::nullopt},
        {R"([0.05])", std::nullopt},
        {"{\"debug\": \"\xff\"}", std::nullopt},
        {std::string(100000, '['), std::nullopt},  // refused before the parser builds anything
    };
    for (const auto& [text, settings] : cases) {
        test::writeFile(file, text);
        const LoadedSettings loaded = loadSettings(file);
        EXPECT_EQ(loaded.settings, settings) << text;
        EXPECT_TRUE(loaded.found) << text;
    }
    EXPECT_FALSE(loadSettings(folder / "missing.json").found);
}

TEST(UISettings, LegacySettingsAreCopiedOnlyWhenThereAreNone) {
    test::TemporaryDirectory support;
    fs::create_directories(support / "Vexbeat");
    test::writeFile(support / "Vexbeat/settings.json", "legacy");
    const fs::path file = support / "Knockbox/settings.json";

    copyLegacySettings(support / "Vexbeat/settings.json", file);
    EXPECT_EQ(test::readFile(file), "legacy");
    test::writeFile(file, "current");
    copyLegacySettings(support / "Vexbeat/settings.json", file);
    EXPECT_EQ(test::readFile(file), "current");
    // No legacy file: nothing happens, and nothing fails.
    copyLegacySettings(support / "Pendrel/settings.json", support / "Other/settings.json");
    EXPECT_FALSE(fs::exists(support / "Other/settings.json"));
}

TEST(UISettings, InvalidOrUnwritableSettingsAreNotSaved) {
    test::TemporaryDirectory folder;
    EXPECT_EQ(saveSettings(UISettings{.cooldown = 5000}, folder / "settings.json"), SaveOutcome::invalid);
    EXPECT_FALSE(fs::exists(folder / "settings.json"));
    test::writeFile(folder / "file", "");
    EXPECT_EQ(saveSettings(UISettings{}, folder / "file/settings.json"), SaveOutcome::failed);
}

}  // namespace
}  // namespace knockbox
