// Self-test, the configuration app's settings: the arguments its defaults
// make, a settings file read back, and the files it starts over from.

#include <fstream>
#include <string>
#include <utility>

#include "app/ui_settings.h"
#include "core/app_error.h"
#include "program/self_test.h"

namespace knockbox {
namespace fs = std::filesystem;
namespace {

struct Field {
    const char* name;
    bool same;
};

std::string differing(std::initializer_list<Field> fields) {
    std::string names;
    for (const Field& field : fields)
        if (!field.same) names += (names.empty() ? "" : ", ") + std::string(field.name);
    return names;
}

SelfCheck defaultsReachThePlayer() {
    Options parsed;
    try {
        parsed = parseOptions(UISettings{}.arguments());
    } catch (const AppError& error) {
        return {false, "odtwarzacz odrzuca argumenty domyślnych ustawień: " + error.message()};
    }
    const Options defaults;
    const DetectorConfig &a = parsed.config, &b = defaults.config;
    const std::string fields = differing({
        {"threshold", a.threshold == b.threshold},
        {"cooldown", a.cooldown == b.cooldown},
        {"accent", a.accent == b.accent},
        {"fullVelocity", a.fullVelocity == b.fullVelocity},
        {"invertSides", a.invertSides == b.invertSides},
        {"sideBias", a.sideBias == b.sideBias},
        {"typingSuppress", a.typingSuppress == b.typingSuppress},
        {"mode", parsed.mode == defaults.mode},
        {"duration", parsed.duration == defaults.duration},
        // The settings keep the volume the user set (1.2); the player's default
        // is the engine's 32-bit 1.2 widened: the same sound.
        {"volume", static_cast<float>(parsed.volume) == static_cast<float>(defaults.volume)},
        {"sounds", parsed.sounds == defaults.sounds},
        {"noSideProfile", parsed.noSideProfile == defaults.noSideProfile},
        {"noTypingGuard", parsed.noTypingGuard == defaults.noTypingGuard},
        {"muted", parsed.muted == defaults.muted},
        {"debug", parsed.debug == defaults.debug},
        {"fastTrigger", parsed.fastTrigger == defaults.fastTrigger},
        {"midi", parsed.midi == defaults.midi},
    });
    if (!fields.empty()) return {false, "argumenty domyślnych ustawień zmieniają opcje odtwarzacza: " + fields};
    return {true, "argumenty domyślnych ustawień dają domyślne opcje odtwarzacza"};
}

// Every field away from its default, the numbers with long shortest forms.
UISettings changedSettings() {
    UISettings settings;
    settings.threshold = 0.030000000000000027;
    settings.cooldown = 250.5;
    settings.accent = 0.17000000000000012;
    settings.fullVelocity = 0.7;
    settings.volume = 0.95;
    settings.sounds = {DrumKit::live, DrumKit::electronic, DrumKit::lofi, DrumKit::electronic};
    settings.sideBias = -0.013;
    settings.invertSides = true;
    settings.useProfile = false;
    settings.typingGuard = false;
    settings.muted = true;
    settings.debug = true;
    settings.fastTrigger = true;
    settings.sendMidi = true;
    return settings;
}

SelfCheck fileRoundTrip(const fs::path& folder) {
    const fs::path file = folder / "settings.json";
    const UISettings settings = changedSettings();
    if (saveSettings(settings, file) != SaveOutcome::saved)
        return {false, "pliku ustawień nie zapisano w " + folder.string()};
    const std::optional<UISettings> read = loadSettings(file).settings;
    if (!read) return {false, "zapisany plik ustawień nie wczytuje się"};
    const std::string fields = differing({
        {"threshold", read->threshold == settings.threshold},
        {"cooldown", read->cooldown == settings.cooldown},
        {"accent", read->accent == settings.accent},
        {"fullVelocity", read->fullVelocity == settings.fullVelocity},
        {"volume", read->volume == settings.volume},
        {"sounds", read->sounds == settings.sounds},
        {"sideBias", read->sideBias == settings.sideBias},
        {"invertSides", read->invertSides == settings.invertSides},
        {"useProfile", read->useProfile == settings.useProfile},
        {"typingGuard", read->typingGuard == settings.typingGuard},
        {"muted", read->muted == settings.muted},
        {"debug", read->debug == settings.debug},
        {"fastTrigger", read->fastTrigger == settings.fastTrigger},
        {"sendMidi", read->sendMidi == settings.sendMidi},
    });
    if (!fields.empty()) return {false, "po zapisie i odczycie pliku zmieniły się pola: " + fields};
    return {true, "zapis i odczyt pliku ustawień zachowuje wszystkie 14 pól"};
}

SelfCheck invalidFilesGiveDefaults(const fs::path& folder) {
    const std::pair<const char*, const char*> files[] = {
        {"nie JSON", "{\"threshold\": 0.05,"},
        {"liczba jako tekst", "{\"threshold\": \"0.05\"}"},
        {"nieznany zestaw", R"({"sounds": {"kick": "808", "snare": "studio", "hihat": "studio", "tom": "studio"}})"},
        {"próg nad granicą mocnych", "{\"threshold\": 0.3, \"accent\": 0.16}"},
    };
    std::string accepted;
    int index = 0;
    for (const auto& [name, text] : files) {
        const fs::path file = folder / ("invalid-" + std::to_string(++index) + ".json");
        std::ofstream(file, std::ios::binary) << text;
        // The configuration app starts from the defaults when nothing loads.
        if (loadSettings(file).settings.value_or(UISettings{}) != UISettings{}) accepted += (accepted.empty() ? "" : ", ") + std::string(name);
    }
    if (!accepted.empty()) return {false, "nieprawidłowe pliki przyjęte zamiast ustawień domyślnych: " + accepted};
    return {true, std::to_string(index) +
                      " nieprawidłowe pliki (nie JSON, zły typ, nieznany zestaw, wartości odrzucane przez "
                      "odtwarzacz) dają ustawienia domyślne"};
}

}  // namespace

std::vector<SelfCheck> selfcheck::uiSettings(const fs::path& folder) {
    return {defaultsReachThePlayer(), fileRoundTrip(folder), invalidFilesGiveDefaults(folder)};
}

}  // namespace knockbox
