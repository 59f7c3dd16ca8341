#include "app/ui_settings.h"

#include <cmath>
#include <system_error>

#include <nlohmann/json.hpp>

#include "core/app_error.h"
#include "core/file_replacement.h"
#include "core/json_nesting.h"
#include "core/number_text.h"
#include "core/small_file.h"

namespace knockbox {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A present, non-null key must hold a value of the field's type.
template <typename Value>
void decodeField(const json& object, const char* key, Value& field) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return;
    if constexpr (std::is_same_v<Value, bool>) {
        if (!found->is_boolean()) throw json::type_error::create(302, std::string(key) + " is no boolean", &*found);
    } else if constexpr (std::is_same_v<Value, double>) {
        if (!found->is_number()) throw json::type_error::create(302, std::string(key) + " is no number", &*found);
    }
    field = found->get<Value>();
}

// The engine plays the settings' default volume as its own default.
static_assert(static_cast<float>(UISettings{}.volume) == defaultMasterVolume);

}  // namespace

std::vector<std::string> UISettings::arguments() const {
    std::vector<std::string> list{"--threshold",     shortestDecimal(threshold), "--cooldown",  shortestDecimal(cooldown),
                                  "--accent",        shortestDecimal(accent),    "--full-velocity",
                                  shortestDecimal(fullVelocity),                 "--side-bias", shortestDecimal(sideBias),
                                  "--volume",        shortestDecimal(volume)};
    for (Drum drum : allDrums) {
        list.push_back("--" + std::string(rawValue(drum)) + "-sound");
        list.emplace_back(rawValue(sounds.kit(drum)));
    }
    if (invertSides) list.emplace_back("--invert-sides");
    if (!useProfile) list.emplace_back("--no-side-profile");
    if (!typingGuard) list.emplace_back("--no-typing-guard");
    if (muted) list.emplace_back("--mute");
    if (debug) list.emplace_back("--debug");
    if (fastTrigger) list.emplace_back("--fast-trigger");
    if (sendMidi) list.emplace_back("--midi");
    return list;
}

std::optional<std::string> UISettings::validation() const {
    try {
        parseOptions(arguments());
        return std::nullopt;
    } catch (const AppError& error) {
        return error.message();
    }
}

void to_json(json& object, const UISettings& settings) {
    object = json{{"threshold", settings.threshold},     {"cooldown", settings.cooldown},
                  {"accent", settings.accent},           {"fullVelocity", settings.fullVelocity},
                  {"volume", settings.volume},           {"sounds", settings.sounds},
                  {"sideBias", settings.sideBias},       {"invertSides", settings.invertSides},
                  {"useProfile", settings.useProfile},   {"typingGuard", settings.typingGuard},
                  {"muted", settings.muted},             {"debug", settings.debug},
                  {"fastTrigger", settings.fastTrigger}, {"sendMidi", settings.sendMidi}};
}

void from_json(const json& object, UISettings& settings) {
    if (!object.is_object()) throw json::type_error::create(302, "settings are no object", &object);
    UISettings decoded;
    decodeField(object, "threshold", decoded.threshold);
    decodeField(object, "cooldown", decoded.cooldown);
    decodeField(object, "accent", decoded.accent);
    decodeField(object, "fullVelocity", decoded.fullVelocity);
    decodeField(object, "volume", decoded.volume);
    decoded.volume = std::round(decoded.volume * 100) / 100;
    decodeField(object, "sounds", decoded.sounds);
    decodeField(object, "sideBias", decoded.sideBias);
    decodeField(object, "invertSides", decoded.invertSides);
    decodeField(object, "useProfile", decoded.useProfile);
    decodeField(object, "typingGuard", decoded.typingGuard);
    decodeField(object, "muted", decoded.muted);
    decodeField(object, "debug", decoded.debug);
    decodeField(object, "fastTrigger", decoded.fastTrigger);
    decodeField(object, "sendMidi", decoded.sendMidi);
    settings = decoded;
}

std::string settingsFileText(const UISettings& settings) { return json(settings).dump(2) + "\n"; }

LoadedSettings loadSettings(const fs::path& file) {
    std::string text;
    try {
        text = readSmallFile(file);
    } catch (const std::system_error& error) {
        const bool absent =
            error.code() == std::errc::no_such_file_or_directory || error.code() == std::errc::not_a_directory;
        return {std::nullopt, !absent};
    }
    try {
        if (!jsonNestingWithin(text)) return {std::nullopt, true};
        const UISettings settings = json::parse(text).get<UISettings>();
        if (settings.validation()) return {std::nullopt, true};
        return {settings, true};
    } catch (const json::exception&) {
        return {std::nullopt, true};
    }
}

void copyLegacySettings(const fs::path& legacy, const fs::path& file) {
    std::error_code ignored;
    if (fs::exists(file, ignored) || ignored) return;
    if (!file.parent_path().empty()) fs::create_directories(file.parent_path(), ignored);
    copySmallFileIfAbsent(legacy, file);
}

SaveOutcome saveSettings(const UISettings& settings, const fs::path& file) {
    if (settings.validation()) return SaveOutcome::invalid;
    std::error_code error;
    if (!file.parent_path().empty()) fs::create_directories(file.parent_path(), error);
    if (error) return SaveOutcome::failed;
    try {
        replaceFile(file, settingsFileText(settings));
    } catch (const std::system_error&) {
        return SaveOutcome::failed;
    }
    return SaveOutcome::saved;
}

}  // namespace knockbox
