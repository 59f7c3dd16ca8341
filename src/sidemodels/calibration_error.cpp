#include "sidemodels/calibration_error.h"

#include <cassert>

#include "core/line_text.h"
#include "core/number_text.h"

namespace knockbox {
namespace {

std::string fixedMessage(CalibrationError::Kind kind) {
    using Kind = CalibrationError::Kind;
    switch (kind) {
    case Kind::invalidHardware: return "Brak modelu sprzętu dla kalibracji stron.";
    case Kind::insufficientSamples: return "Kalibracja wymaga co najmniej 8 osobnych uderzeń po każdej stronie.";
    case Kind::invalidFeatures: return "Uderzenie kalibracyjne musi zawierać 8 skończonych wartości cech.";
    case Kind::repeatedSamples:
        return "Kalibracja zawiera powtórzone pakiety zamiast osobnych uderzeń. Zbierz nowe uderzenia.";
    case Kind::indistinguishable:
        return "Sensor nie rozróżnia stron w zebranych uderzeniach. Powtórz kalibrację bliżej boków obudowy.";
    case Kind::invalidProfile:
        return "Profil kalibracji jest uszkodzony lub ma nieobsługiwaną wersję. Wykonaj nową kalibrację.";
    default: break;
    }
    assert(false && "this case carries a payload: use its named constructor");
    return "";
}

}  // namespace

CalibrationError::CalibrationError(Kind kind, const std::string& message)
    : std::runtime_error(message), kind_(kind) {}

CalibrationError::CalibrationError(Kind kind) : CalibrationError(kind, fixedMessage(kind)) {}

CalibrationError CalibrationError::poorValidation(double accuracy) {
    return CalibrationError(Kind::poorValidation, "Kalibracja rozpoznaje strony zbyt słabo (walidacja " +
                                                      fixed(accuracy * 100.0, 0) +
                                                      "%). Zbierz nowe uderzenia bliżej boków obudowy.");
}

CalibrationError CalibrationError::hardwareMismatch(const std::string& stored, const std::string& current) {
    // Both come from outside: the file, the system.
    return CalibrationError(Kind::hardwareMismatch, "Profil kalibracji pochodzi z modelu " + outsideText(stored) +
                                                        ", a ten Mac ma model " + outsideText(current) +
                                                        ". Wykonaj nową kalibrację.");
}

CalibrationError CalibrationError::readFailed(const std::string& description) {
    return CalibrationError(Kind::readFailed, "Nie można odczytać profilu kalibracji: " + description);
}

CalibrationError CalibrationError::writeFailed(const std::string& description) {
    return CalibrationError(Kind::writeFailed, "Nie można zapisać profilu kalibracji: " + description);
}

}  // namespace knockbox
