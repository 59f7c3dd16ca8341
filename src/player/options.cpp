#include "player/options.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "core/app_error.h"
#include "core/line_text.h"
#include "core/number_text.h"

namespace knockbox {
namespace {

// Walks the argument list; options with a value consume the next argument.
class ArgumentCursor {
public:
    explicit ArgumentCursor(std::span<const std::string> arguments) : arguments_(arguments) {}

    bool done() const { return next_ >= arguments_.size(); }
    const std::string& take() { return arguments_[next_++]; }

    const std::string& value(const std::string& option) {
        if (done()) throw AppError("Brak wartości po " + outsideText(option) + ".");
        return take();
    }

    double number(const std::string& option) {
        const std::string& text = value(option);
        if (auto parsed = parseNumber(text)) return *parsed;
        throw AppError("Nieprawidłowa liczba: " + outsideText(text));
    }

    DrumKit kit(const std::string& option) {
        const std::string& text = value(option);
        if (auto parsed = parseDrumKit(text)) return *parsed;
        throw AppError("Nieznane brzmienie: " + outsideText(text) + ". Wybierz studio, electronic albo lofi.");
    }

    // "kick=36": a drum and its MIDI note.
    std::pair<Drum, int> midiNote(const std::string& option) {
        const std::string& text = value(option);
        const auto equals = text.find('=');
        const auto drum = parseDrum(std::string_view(text).substr(0, equals));
        const auto note = equals == std::string::npos ? std::nullopt : wholeNumber(text.substr(equals + 1), 0, 127);
        if (drum && note) return {*drum, *note};
        throw AppError("Nieprawidłowa nuta MIDI: " + outsideText(text) +
                       ". Podaj kick, snare, hihat albo tom i numer 0–127, np. kick=36.");
    }

    int midiChannel(const std::string& option) {
        const std::string& text = value(option);
        if (auto channel = wholeNumber(text, 1, 16)) return *channel;
        throw AppError("Nieprawidłowy kanał MIDI: " + outsideText(text) + ". Wybierz 1–16.");
    }

private:
    // Decimal digits only, within the range.
    static std::optional<int> wholeNumber(std::string_view text, int low, int high) {
        int number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (text.empty() || text[0] == '-' || error != std::errc{} || end != text.data() + text.size() ||
            number < low || number > high)
            return std::nullopt;
        return number;
    }

    std::span<const std::string> arguments_;
    std::size_t next_ = 0;
};

std::optional<RunMode> modeOfFlag(const std::string& option) {
    if (option == "--help" || option == "-h") return RunMode::help;
    if (option == "--ui") return RunMode::ui;
    if (option == "--probe") return RunMode::probe;
    if (option == "--check-access") return RunMode::checkAccess;
    if (option == "--sensor-stream") return RunMode::sensor;
    if (option == "--demo") return RunMode::demo;
    if (option == "--self-test") return RunMode::selfTest;
    return std::nullopt;
}

bool* switchOf(Options& options, const std::string& option) {
    if (option == "--invert-sides") return &options.config.invertSides;
    if (option == "--calibrate-typing") return &options.calibrateTyping;
    if (option == "--calibrate-sides") return &options.calibrateSides;
    if (option == "--calibrate-light") return &options.calibrateLight;
    if (option == "--no-side-profile") return &options.noSideProfile;
    if (option == "--no-typing-guard") return &options.noTypingGuard;
    if (option == "--mute") return &options.muted;
    if (option == "--debug") return &options.debug;
    if (option == "--direct-sensor") return &options.directSensor;
    if (option == "--fast-trigger") return &options.fastTrigger;
    if (option == "--until-input-ends") return &options.untilInputEnds;
    if (option == "--midi") return &options.midi;
    return nullptr;
}

// The take a file's name asks for: MIDI or sound.
std::optional<std::string>& takeOf(Options& options, const std::string& file) {
    std::string extension = std::filesystem::path(file).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (extension == ".mid" || extension == ".midi") return options.takeMidi;
    if (extension == ".wav") return options.takeWave;
    throw AppError("Nieznany rodzaj pliku take: " + outsideText(file) + ". Użyj .mid albo .wav.");
}

void validate(const Options& options) {
    const DetectorConfig& config = options.config;
    const bool valid = config.threshold >= 0.008 && config.threshold <= 0.5 &&
                       config.threshold < config.accent && config.accent < config.fullVelocity &&
                       config.cooldown >= 0.07 && config.cooldown <= 2.0 &&
                       (!options.duration || *options.duration > 0) && options.volume >= 0 &&
                       options.volume <= 1.5;
    if (!valid)
        throw AppError(
            "Wymagane: próg 0.008–0.5 g, threshold < accent < full-velocity, cooldown 70–2000 ms, "
            "volume 0–1.5, duration > 0.");
    if (options.calibrateSides && options.calibrateLight)
        throw AppError("Wybierz --calibrate-sides albo --calibrate-light w jednej sesji.");
    // sudo finds a relative program through PATH, and a rule names it whole.
    if (options.sensorProgram && !options.sensorProgram->starts_with('/'))
        throw AppError("--sensor-program wymaga ścieżki bezwzględnej: " + outsideText(*options.sensorProgram));
}

}  // namespace

Options parseOptions(std::span<const std::string> arguments) {
    Options options;
    ArgumentCursor cursor(arguments);
    while (!cursor.done()) {
        const std::string& option = cursor.take();
        if (auto mode = modeOfFlag(option)) {
            options.mode = *mode;
        } else if (bool* flag = switchOf(options, option)) {
            *flag = true;
        } else if (option == "--calibrate-strong") {
            options.calibrateSides = true;
            options.calibrateStrong = true;
        } else if (option == "--export-samples" || option == "--replay") {
            options.path = cursor.value(option);
            options.mode = option == "--replay" ? RunMode::replay : RunMode::exportSamples;
        } else if (option == "--record") {
            options.record = cursor.value(option);
        } else if (option == "--sensor-program") {
            options.sensorProgram = cursor.value(option);
        } else if (option == "--take") {
            const std::string& file = cursor.value(option);
            takeOf(options, file) = file;
        } else if (option == "--midi-note") {
            const auto [drum, note] = cursor.midiNote(option);
            options.midiMapping.notes[index(drum)] = note;
        } else if (option == "--midi-channel") {
            options.midiMapping.channel = cursor.midiChannel(option);
        } else if (option == "--threshold") {
            options.config.threshold = cursor.number(option);
        } else if (option == "--cooldown") {
            options.config.cooldown = cursor.number(option) / 1000.0;
        } else if (option == "--accent") {
            options.config.accent = cursor.number(option);
        } else if (option == "--full-velocity") {
            options.config.fullVelocity = cursor.number(option);
        } else if (option == "--volume") {
            options.volume = cursor.number(option);
        } else if (option == "--duration") {
            options.duration = cursor.number(option);
        } else if (option == "--side-bias") {
            options.config.sideBias = cursor.number(option);
        } else if (option == "--kit") {
            options.sounds = SoundSelection::all(cursor.kit(option));
        } else if (option == "--kick-sound" || option == "--snare-sound" || option == "--hihat-sound" ||
                   option == "--tom-sound") {
            const Drum drum = *parseDrum(std::string_view(option).substr(2, option.size() - 8));
            options.sounds.kit(drum) = cursor.kit(option);
        } else {
            throw AppError("Nieznana opcja: " + outsideText(option) + ". Użyj --help.");
        }
    }
    validate(options);
    return options;
}

}  // namespace knockbox
