#include "protocol/player_lines.h"

#include <variant>

#include "core/number_text.h"

namespace knockbox::lines {
namespace {

std::string padded(std::string_view text, std::size_t width) {
    std::string result(text);
    if (result.size() < width) result.append(width - result.size(), ' ');
    return result;
}

std::string percent(double fraction) { return fixed(fraction * 100.0, 0) + "%"; }

// A description that ends a sentence keeps its own full stop only.
std::string sentence(std::string_view description) {
    std::string text(description);
    if (!text.ends_with('.')) text += '.';
    return text;
}

// "  wcześnie R mocne  peak 0.201 g  głośność 0.71  strona 93%  model heurystyka  po 3.8 ms",
// or "  wcześnie niepewne  peak …  strona …  model …  po …" when nothing sounded early.
std::string earlySuffix(const std::optional<EarlyDiagnostics>& early) {
    if (!early) return {};
    std::string text = "  wcześnie ";
    if (early->reliable) {
        const bool firm = early->drum == Drum::tom || early->drum == Drum::snare;
        text += std::string(early->side == Side::left ? "L" : "R") + (firm ? " mocne" : " delikatne");
    } else {
        text += "niepewne";
    }
    text += "  peak " + fixed(early->peak, 3) + " g";
    if (early->reliable) text += "  głośność " + fixed(early->velocity, 2);
    return text + "  strona " + percent(early->confidence) + "  model " + std::string(early->model) + "  po " +
           fixed(early->after * 1000.0, 1) + " ms";
}

std::string words(const CalibrationPrompt& prompt) {
    std::string text = prompt.verification ? "Weryfikacja — blok " : "Trening — blok ";
    text += std::to_string(prompt.block + 1) + "/" + std::to_string(prompt.blocks) + ": klepnij " +
            (prompt.side == Side::left ? "LEWĄ" : "PRAWĄ") + " stronę " + std::to_string(prompt.taps) + " razy ";
    switch (prompt.kind) {
        case CalibrationKind::standard: text += "z trochę różną siłą"; break;
        case CalibrationKind::strong: text += "mocniej (peak >= " + fixed(prompt.accent, 3) + " g)"; break;
        case CalibrationKind::light:
            text += "delikatnie (peak >= " + fixed(prompt.threshold, 3) + " g i < " + fixed(prompt.accent, 3) + " g)";
            break;
    }
    return text + ", co około pół sekundy. Audio podczas kalibracji jest wyciszone.";
}

// "LEWA 3/8"
std::string label(const CalibrationTapLabel& label) {
    return std::string(label.side == Side::left ? "LEWA " : "PRAWA ") + std::to_string(label.n) + "/" +
           std::to_string(label.total);
}

std::string words(const CalibrationTapCounted& tap) {
    std::string text = label(tap.label) + ": peak " + fixed(tap.peak, 3) + " g";
    if (tap.verified) text += *tap.verified ? " · weryfikacja OK" : " · weryfikacja: strona niepewna lub błędna";
    return text;
}

std::string words(const CalibrationTapRefused& tap) {
    const std::string peak = "peak " + fixed(tap.peak, 3) + " g";
    std::string reason;
    switch (tap.reason) {
        case CalibrationRefusal::invalidBand: reason = "niepoprawny zakres siły kalibracji; próbka pominięta."; break;
        case CalibrationRefusal::belowThreshold:
            reason = peak + " jest poniżej progu " + fixed(tap.threshold, 3) + " g; próbka pominięta.";
            break;
        case CalibrationRefusal::tooWeak:
            reason = peak + " jest za mały do mocnej kalibracji (wymagane >= " + fixed(tap.accent, 3) +
                     " g). Klepnij trochę mocniej; dotychczasowe próbki zachowane.";
            break;
        case CalibrationRefusal::tooStrong:
            reason = peak + " jest za duży do lekkiej kalibracji (wymagane < " + fixed(tap.accent, 3) +
                     " g). Klepnij delikatniej; dotychczasowe próbki zachowane.";
            break;
        case CalibrationRefusal::tooSoon:
            reason = "próbka pominięta; zachowaj co najmniej 0,35 s między uderzeniami.";
            break;
        case CalibrationRefusal::unusableData: reason = "brak poprawnych danych sensora; próbka pominięta."; break;
    }
    return label(tap.label) + ": " + reason;
}

std::string words(CalibrationStep step) {
    switch (step) {
        case CalibrationStep::blockDone: return "Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo.";
        case CalibrationStep::trainingDone:
            return "Trening zebrany: po 8 uderzeń na stronę. Profil wymaga jeszcze niezależnej weryfikacji.";
        case CalibrationStep::verificationStarts:
            return "Weryfikacja: teraz sprawdzimy po 3 NOWE uderzenia na stronę. Odczekaj 1,2 s na polecenie dla "
                   "LEWEJ. Te uderzenia nie uczą modelu.";
        case CalibrationStep::retryStarts:
            return "Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian.";
    }
    return {};
}

}  // namespace

std::string calibrationMessage(const CalibrationMessage& message) {
    return std::visit([](const auto& said) { return words(said); }, message);
}

std::string ready(double rateHz, double threshold, double accent, double cooldownSeconds) {
    return "GOTOWE · " + fixed(rateHz, 0) + " Hz · próg " + fixed(threshold, 3) + " g · mocne " +
           fixed(accent, 3) + " g · cooldown " + fixed(cooldownSeconds * 1000.0, 0) + " ms";
}

std::string sideProfileLoaded(double validationAccuracy) {
    return "Profil stron załadowany · walidacja " + percent(validationAccuracy);
}

// The skipped line with its hint, which an error that already ends with it does not repeat.
std::string skipped(std::string_view what, std::string_view description, std::string_view hint) {
    std::string line = std::string(what) + " pominięty: " + sentence(description);
    if (!line.ends_with(hint)) (line += ' ') += hint;
    return line;
}

std::string sideProfileSkipped(std::string_view description) {
    return skipped("Profil stron", description, "Użyj --calibrate-sides.");
}

std::string lightProfileLoaded(double maximumPeak, double validationAccuracy) {
    return "Profil lekkich załadowany · peak < " + fixed(maximumPeak, 3) + " g · walidacja " +
           percent(validationAccuracy);
}

std::string lightProfileSkipped(std::string_view description) {
    return skipped("Profil lekkich", description, "Użyj --calibrate-light.");
}

std::string hit(Side side, Drum drum, double peak, double velocity,
                const std::optional<SideDiagnostics>& diagnostics, const std::optional<EarlyDiagnostics>& early) {
    std::string line = std::string(side == Side::left ? "L" : "R") + "  " + padded(rawValue(drum), 6) +
                       "  peak " + fixed(peak, 3) + " g  volume " + fixed(velocity, 2);
    if (diagnostics)
        line += "  X " + fixed(diagnostics->attackX, 4) + "  strona " + percent(diagnostics->confidence) +
                "  model " + std::string(diagnostics->model) + "  threshold " + fixed(diagnostics->threshold, 3);
    return line + earlySuffix(early);
}

std::string uncertain(double peak, const std::optional<SideDiagnostics>& diagnostics,
                      const std::optional<EarlyDiagnostics>& early) {
    if (!diagnostics) return "NIEPEWNE · klepnij bliżej boku obudowy" + earlySuffix(early);
    return "NIEPEWNE · peak " + fixed(peak, 3) + " g · model " + std::string(diagnostics->model) + " · strona " +
           percent(diagnostics->confidence) + earlySuffix(early);
}

std::string summary(long samples, long hits, long uncertain) {
    return "Koniec: " + std::to_string(samples) + " próbek, " + std::to_string(hits) + " uderzeń, " +
           std::to_string(uncertain) + " niepewnych stron.";
}

std::string droppedStarts(unsigned long dropped) {
    return "Uwaga: " + std::to_string(dropped) + " dźwięków nie zagrało: kolejka audio była pełna.";
}

std::string midiOpened(std::string_view port, std::string_view system, int channel) {
    return "MIDI: port " + std::string(port) + " (" + std::string(system) + "), kanał " + std::to_string(channel) + ".";
}

std::string midiSendsFailed(unsigned long failed) {
    return "Uwaga: " + std::to_string(failed) + " komunikatów MIDI nie wysłano: system MIDI ich nie przyjął.";
}

std::string demo(Drum drum, double velocity) {
    return "DEMO " + std::string(rawValue(drum)) + " volume " + shortestNumber(velocity);
}

std::string liveKitMissing(std::string_view folder, std::size_t missing, std::size_t total) {
    return "Zestaw Live: nie wczytano " + std::to_string(missing) + " z " + std::to_string(total) + " nagrań z " +
           std::string(folder) + "; zamiast nich gra zestaw Studio.";
}

std::string calibration(const CalibrationUIState& state) { return "CALIBRATION " + encode(state); }

std::string journalOpened(std::string_view path) {
    return "Zapis oznaczonych próbek kalibracji: " + std::string(path);
}

std::string journalUnavailable(std::string_view description) {
    return "Zapis próbek niedostępny: " + std::string(description);
}

std::string journalWriteFailed(std::string_view description) {
    return "Błąd zapisu próbki kalibracji: " + std::string(description);
}

std::string sideModelTrained(double validationAccuracy) {
    return "Model nauczony · sprawdzenie z pominięciem próbek " + percent(validationAccuracy) +
           ". Czeka na NOWE uderzenia sprawdzające.";
}

std::string lightModelTrained(std::string_view parts, double validationAccuracy) {
    return "Model lekkich nauczony (" + std::string(parts) + ") · sprawdzenie z pominięciem próbek " +
           percent(validationAccuracy) + ". Czeka na NOWE uderzenia sprawdzające.";
}

std::string verificationMissed(int correctLeft, int correctRight) {
    return "Niezależny sprawdzian: " + std::to_string(correctLeft + correctRight) + "/6 trafień (lewa " +
           std::to_string(correctLeft) + "/3, prawa " + std::to_string(correctRight) +
           "/3). Potrzeba co najmniej 5/6 pewnych trafień.";
}

std::string profileNotSaved(std::string_view description) { return "Nie zapisano profilu: " + std::string(description); }

std::string profileSaved(bool light, int correctLeft, int correctRight) {
    return std::string(light ? "Profil lekkich zapisany · niezależny test " : "Profil stron zapisany · niezależny test ") +
           std::to_string(correctLeft + correctRight) + "/6 (lewa " + std::to_string(correctLeft) + "/3, prawa " +
           std::to_string(correctRight) + "/3). Możesz grać.";
}

std::string selfTestCheck(bool passed, std::string_view group, std::string_view detail) {
    return std::string(passed ? "OK · " : "BŁĄD · ") + std::string(group) + " · " + std::string(detail);
}

std::string selfTestPassed(int total) {
    return "Self-test: " + std::to_string(total) + " z " + std::to_string(total) + " sprawdzeń OK.";
}

std::string selfTestFailed(int failed, int total) {
    return "self-test wykrył problemy w " + std::to_string(failed) + " z " + std::to_string(total) + " sprawdzeń.";
}

std::string error(std::string_view description) { return "Błąd: " + std::string(description); }

std::string sensorProcessEnded(int status) {
    return "Proces sensora zakończył się (kod " + std::to_string(status) +
           "). Uruchom przez ./run.sh i sprawdź komunikat IOKit powyżej.";
}

std::string simulatedSensorUnusable(std::string_view description) {
    return "KNOCKBOX_SIMULATED_SPU: " + std::string(description);
}

std::string sensorAccessFailed(std::string_view description) {
    return "Nie udało się nadać procesowi sensora uprawnień: " + std::string(description);
}

}  // namespace knockbox::lines
