#pragma once
// The player's output lines, each formatted in this one place. The
// configuration app reads them back (it knows them by their shapes), so a
// change here is a change of the protocol between the two.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/calibration_message.h"
#include "core/drum.h"
#include "core/side.h"
#include "protocol/calibration_ui_state.h"

namespace knockbox::lines {

// "GOTOWE · <rate> Hz · próg <g> g · mocne <g> g · cooldown <ms> ms"
std::string ready(double rateHz, double threshold, double accent, double cooldownSeconds);
inline constexpr std::string_view keys = "L: kick/tom  |  R: hi-hat/snare  |  Ctrl-C: koniec";
inline constexpr std::string_view lowRate =
    "Uwaga: niski rate sensora — rozpoznawanie strony może być mniej pewne.";
inline constexpr std::string_view typingCalibration = "Kalibracja: teraz pisz normalnie przez 5 s.";
inline constexpr std::string_view sensorStart = "Start SPU… przez pierwsze 2 s nie dotykaj MacBooka.";

// The saved side profiles at the start of a run: loaded with their leave-one-out
// accuracy (0–1), or skipped with the reason.
std::string sideProfileLoaded(double validationAccuracy);
std::string sideProfileSkipped(std::string_view description);
std::string lightProfileLoaded(double maximumPeak, double validationAccuracy);
std::string lightProfileSkipped(std::string_view description);

// What the side decision says about a tap, shown with --debug.
struct SideDiagnostics {
    double attackX;        // g
    double confidence;     // 0.5–1
    std::string_view model;
    double threshold;      // g, the effective threshold
};

// With the fast trigger, what the first milliseconds of a tap said, shown
// with --debug after what the full window found. Written without drum names,
// so the app still finds the full window's drum in the line.
struct EarlyDiagnostics {
    bool reliable;      // the early decision sounded
    Side side;
    Drum drum;          // firm or gentle: tom and snare are the firm drums
    double peak;        // g
    double velocity;
    double confidence;  // 0.5–1
    std::string_view model;
    double after;       // s from the onset to the decision
};

// "L  kick    peak 0.080 g  volume 0.37", with the diagnostics appended when
// given, and then the early decision when given.
std::string hit(Side side, Drum drum, double peak, double velocity,
                const std::optional<SideDiagnostics>& diagnostics = std::nullopt,
                const std::optional<EarlyDiagnostics>& early = std::nullopt);
// A tap whose side was unclear; with diagnostics its peak, model and
// confidence, and then the early decision when given.
std::string uncertain(double peak, const std::optional<SideDiagnostics>& diagnostics = std::nullopt,
                      const std::optional<EarlyDiagnostics>& early = std::nullopt);
// "Koniec: <n> próbek, <n> uderzeń, <n> niepewnych stron."
std::string summary(long samples, long hits, long uncertain);
// Before the summary, when taps were played faster than the audio thread took
// them: how many sounds were dropped.
std::string droppedStarts(unsigned long dropped);
// Live MIDI out opened: "MIDI: port Knockbox (JACK), kanał 10."
std::string midiOpened(std::string_view port, std::string_view system, int channel);
// Before the summary, when the MIDI system refused messages after the port opened.
std::string midiSendsFailed(unsigned long failed);
// "DEMO <drum> volume <velocity>"
std::string demo(Drum drum, double velocity);
// The recorded kit was asked for, but `missing` of its `total` recordings did
// not load from `folder`; studio sounds stand in for them.
std::string liveKitMissing(std::string_view folder, std::size_t missing, std::size_t total);
// "CALIBRATION <state as one line of JSON>": the calibration's progress.
std::string calibration(const CalibrationUIState& state);

// What the calibration says: the prompt of a block ("Trening — blok 1/4:
// klepnij LEWĄ stronę 4 razy …"), a counted tap ("LEWA 3/8: peak 0.231 g",
// with the verdict in verification), a refused one ("LEWA 3/8: <reason>"),
// and its steps (block done, training done, verification, retry).
std::string calibrationMessage(const CalibrationMessage& message);

// The calibration's journal: where it is written, or why it is not.
std::string journalOpened(std::string_view path);
std::string journalUnavailable(std::string_view description);
std::string journalWriteFailed(std::string_view description);
// A side model fitted from the training taps, with its leave-one-out
// accuracy (0–1), waiting for the verification taps. The light one names its
// fitted parts ("atak", "impuls", joined by " + ").
std::string sideModelTrained(double validationAccuracy);
std::string lightModelTrained(std::string_view parts, double validationAccuracy);
// Why a verification the capture did not pass failed, from the correct taps per side.
std::string verificationMissed(int correctLeft, int correctRight);
// "Nie zapisano profilu: <description>"
std::string profileNotSaved(std::string_view description);
// The verified profile was saved and plays from now on.
std::string profileSaved(bool light, int correctLeft, int correctRight);
// --self-test: one line per check, "OK · <group> · <detail>" or
// "BŁĄD · <group> · <detail>", where a failed check's detail says what
// differed; then "Self-test: <n> z <n> sprawdzeń OK." when all passed, or the
// description of the run's failure.
std::string selfTestCheck(bool passed, std::string_view group, std::string_view detail);
std::string selfTestPassed(int total);
std::string selfTestFailed(int failed, int total);
// "Błąd: <description>": the player ends with status 1 after it.
std::string error(std::string_view description);

// The player's own descriptions of failures the app tells apart by their
// words (the sensor's, the audio engine's and the profiles' come with their
// errors).
inline constexpr std::string_view noSensorHere = "Brak akcelerometru SPU HID 0xFF00/3 z raportem 22 B na tym Macu.";
inline constexpr std::string_view notAsRoot = "Uruchom ./run.sh bez sudo. Tylko proces sensora potrzebuje root.";
inline constexpr std::string_view noSensorData = "Brak danych sensora. Uruchom ./run.sh w Terminalu i podaj hasło sudo.";
inline constexpr std::string_view noReports =
    "SPU znaleziony, ale brak raportów przez 5 s. Sprawdź sudo i zamknij inne czytniki IMU.";
inline constexpr std::string_view streamStalled =
    "Strumień SPU zatrzymał się na 3 s. Uruchom grę ponownie po wybudzeniu Maca.";
// The sensor process ended with this status while the player still read it.
std::string sensorProcessEnded(int status);
// The simulated sensor's recording could not be used.
std::string simulatedSensorUnusable(std::string_view description);
// How the sensor process gets root. Live play through sudo -n, which would
// have to ask for a password: what to run instead.
inline constexpr std::string_view sudoNeedsPassword =
    "sudo nie uruchomi procesu sensora bez hasła. Wpisz w Terminalu „sudo -v” (raz zapyta o hasło) i uruchom "
    "grę ponownie; ./run.sh robi to sam.";
// knockbox-helper, before the system's administrator prompt, and when it was
// declined or the rights it asked for could not be given.
inline constexpr std::string_view sensorAccessAsked =
    "Proces sensora potrzebuje uprawnień administratora: podaj hasło w oknie systemu (tylko raz).";
inline constexpr std::string_view sensorAccessDeclined =
    "Nie przyznano procesowi sensora uprawnień administratora, więc czujnik ruchu jest niedostępny.";
std::string sensorAccessFailed(std::string_view description);
// knockbox-sensor started otherwise than by the player.
inline constexpr std::string_view sensorProgramUsage =
    "knockbox-sensor przyjmuje tylko --sensor-stream; uruchamia go odtwarzacz.";

}  // namespace knockbox::lines
