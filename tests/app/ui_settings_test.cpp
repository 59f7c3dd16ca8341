#include "app/ui_settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

const std::string rangeMessage =
    "Wymagane: próg 0.008–0.5 g, threshold < accent < full-velocity, cooldown 70–2000 ms, volume 0–1.5, duration > 0.";

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Every field away from its default, every switch flipped.
UISettings changedSettings() {
    UISettings settings;
    settings.threshold = 0.1 + 0.2;
    settings.cooldown = 90;
    settings.accent = 0.31;
    settings.fullVelocity = 0.75;
    settings.volume = 0.4;
    settings.sounds = {DrumKit::lofi, DrumKit::live, DrumKit::electronic, DrumKit::studio};
    settings.sideBias = -0.002;
    settings.invertSides = true;
    settings.useProfile = false;
    settings.typingGuard = false;
    settings.muted = true;
    settings.debug = true;
    settings.fastTrigger = true;
    settings.sendMidi = true;
    return settings;
}

// (The defaults reaching the player as its own defaults, a file round trip and
// the invalid files the app starts over from are the self-test's checks, run
// end to end.)
TEST(UISettings, ArgumentsAreExactNumbersAndTheSwitchesThatAreOn) {
    EXPECT_EQ(changedSettings().arguments(),
              (Arguments{"--threshold", "0.30000000000000004", "--cooldown", "90.0", "--accent", "0.31",
                         "--full-velocity", "0.75", "--side-bias", "-0.002", "--volume", "0.4", "--kick-sound", "lofi",
                         "--snare-sound", "live", "--hihat-sound", "electronic", "--tom-sound", "studio",
                         "--invert-sides", "--no-side-profile", "--no-typing-guard", "--mute", "--debug",
                         "--fast-trigger", "--midi"}));
    // The player reads every number back exactly.
    const Options changed = parseOptions(changedSettings().arguments());
    EXPECT_EQ(changed.config.threshold, 0.1 + 0.2);
    EXPECT_EQ(changed.config.sideBias, -0.002);
    EXPECT_EQ(changed.volume, 0.4);
    EXPECT_TRUE(changed.fastTrigger && changed.midi);
}

// The player's parser judges; its own tests hold every range.
TEST(UISettings, ValidationIsThePlayersMessage) {
    EXPECT_EQ(UISettings{}.validation(), std::nullopt);
    UISettings settings;
    settings.threshold = 0.008;  // the lowest allowed
    EXPECT_EQ(settings.validation(), std::nullopt);
    settings.accent = settings.threshold;
    EXPECT_EQ(settings.validation(), rangeMessage);
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
    UISettings older;
    older.threshold = 0.04;
    older.muted = true;
    const std::pair<std::string, std::optional<UISettings>> cases[] = {
        // Written before volume and sounds existed; null reads as the default.
        {R"({"threshold": 0.04, "cooldown": 120, "muted": true, "debug": null, "future": [1, 2]})", older},
        {"{}", UISettings{}},
        // The engine's 32-bit default, widened, as older files kept it.
        {R"({"volume": 1.2000000476837158})", UISettings{}},
        {R"({"muted": 1})", std::nullopt},
        {R"({"sounds": {"kick": "studio", "snare": "studio", "hihat": "studio"}})", std::nullopt},
        {R"({"threshold": 0.9})", std::nullopt},  // decodes, but the player refuses it
        {R"([0.05])", std::nullopt},
        {"{\"debug\": \"\xff\"}", std::nullopt},
        {std::string(100000, '['), std::nullopt},  // refused before the parser builds anything
    };
    for (const auto& [text, settings] : cases) {
        write(file, text);
        const LoadedSettings loaded = loadSettings(file);
        EXPECT_EQ(loaded.settings, settings) << text;
        EXPECT_TRUE(loaded.found) << text;
    }
    EXPECT_FALSE(loadSettings(folder / "missing.json").found);
}

TEST(UISettings, LegacySettingsAreCopiedOnlyWhenThereAreNone) {
    test::TemporaryDirectory support;
    fs::create_directories(support / "Vexbeat");
    write(support / "Vexbeat/settings.json", "legacy");
    const fs::path file = support / "Knockbox/settings.json";

    copyLegacySettings(support / "Vexbeat/settings.json", file);
    EXPECT_EQ(test::readFile(file), "legacy");
    write(file, "current");
    copyLegacySettings(support / "Vexbeat/settings.json", file);
    EXPECT_EQ(test::readFile(file), "current");
    // No legacy file: nothing happens, and nothing fails.
    copyLegacySettings(support / "Pendrel/settings.json", support / "Other/settings.json");
    EXPECT_FALSE(fs::exists(support / "Other/settings.json"));
}

TEST(UISettings, InvalidOrUnwritableSettingsAreNotSaved) {
    test::TemporaryDirectory folder;
    UISettings invalid;
    invalid.cooldown = 5000;
    EXPECT_EQ(saveSettings(invalid, folder / "settings.json"), SaveOutcome::invalid);
    EXPECT_FALSE(fs::exists(folder / "settings.json"));
    write(folder / "file", "");
    EXPECT_EQ(saveSettings(UISettings{}, folder / "file/settings.json"), SaveOutcome::failed);
}

}  // namespace
}  // namespace knockbox
