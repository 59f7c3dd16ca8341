#include "protocol/player_message.h"

#include <gtest/gtest.h>

#include <string>

namespace knockbox {
namespace {

TEST(PlayerMessage, LinesAndTheirTexts) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        // Failures: one sentence per family of causes, else the player's own words.
#ifdef __APPLE__
        {"Błąd: Brak akcelerometru SPU HID 0xFF00/3 z raportem 22 B na tym Macu.",
         "This Mac doesn't support playing on the case."},
#else
        {"Błąd: Brak akcelerometru SPU HID 0xFF00/3 z raportem 22 B na tym Macu.",
         "This computer has no motion sensor to play on."},
#endif
        {"Błąd: IOHIDDeviceOpen akcelerometru SPU: urządzenie zajęte przez inny proces (0xe00002c5). W razie",
         "Can't reach the motion sensor. Quit other apps using it and try again."},
        {"Błąd: Proces sensora zakończył się (kod 1). Uruchom przez ./run.sh i sprawdź komunikat IOKit powyżej.",
         "Knockbox isn't allowed to read the motion sensor. Check the sensor helper's permissions."},
        {"Błąd: Uruchom ./run.sh bez sudo. Tylko proces sensora potrzebuje root.",
         "Knockbox can't play as root. Start it as your own user."},
        {"Błąd: Strumień SPU zatrzymał się na 3 s. Uruchom grę ponownie po wybudzeniu Maca.",
         "The motion sensor stopped sending data. Press Play to start again."},
        {"Błąd: No active audio output. Start a sound server (PulseAudio or PipeWire) or set PULSE_SERVER",
         "Can't play sound. Check your speakers or headphones and try again."},
        {"Błąd: KNOCKBOX_SIMULATED_SPU: /x/m.csv: No such file or directory",
         "The simulated sensor's recording can't be used."},
        {"Błąd: Nie można zapisać profilu kalibracji: /x/p.json: Is a directory",
         "Couldn't save the calibration. Check that its folder can be written and the disk has room."},
        {"Błąd: brak danych", "Player error: brak danych"},
        {"GOTOWE · 800 Hz · próg 0.050 g", "Ready — start playing!"},
        {"Start SPU… przez pierwsze 2 s nie dotykaj MacBooka.", "Don't touch your MacBook for 2 seconds"},
        {"Kalibracja: teraz pisz normalnie przez 5 s.", "Type normally for 5 seconds"},
        {"Profil stron zapisany · walidacja 100%", "Calibration complete — start playing!"},
        {"Nie zapisano profilu: strony zbyt podobne.", "Let's redo it. Hits on both sides felt too similar."},
        {"Nowa próba za chwilę.", "Trying again in a moment, starting on the left."},
        {"NIEPEWNE · peak 0.100 g · model heurystyka · strona 55%", "Tap closer to the edge — the side was unclear"},
        {"Weryfikacja: teraz 3 nowe uderzenia na stronę.",
         "Now a quick check with fresh taps. Wait for a side to light up."},
        // Calibration prompts: side, the count before "razy" (4 without one), strength.
        {"Trening — blok 1/4: klepnij LEWĄ stronę 4 razy mocniej (peak >= 0.160 g), co około pół sekundy.",
         "Tap the left side 4 times, firmly"},
        {"Weryfikacja — blok 1/2: klepnij PRAWĄ stronę 3 razy mocniej (peak >= 0.160 g), co około pół sekundy.",
         "Tap the right side 3 times, firmly"},
        {"Trening — blok 2/4: klepnij PRAWĄ stronę 4 razy delikatnie (peak >= 0.050 g i < 0.160 g), co około.",
         "Tap the right side 4 times, gently"},
        {"Trening — blok 1/4: klepnij LEWĄ stronę 4 razy z trochę różną siłą, co około pół sekundy.",
         "Tap the left side 4 times"},
        {"klepnij LEWĄ stronę kilka razy", "Tap the left side 4 times"},
        {"Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo.", "Wait for the next side to light up…"},
        {"LEWA gotowa. Odczekaj 1,5 s", "Left side done. One moment…"},
        // Calibration taps: the reason of a rejected one, else the count.
        {"LEWA 2/6: peak 0.20 g jest za duży; próbka pominięta.", "Tap more gently"},
        {"LEWA 2/6: uderzenie za lekkie. Klepnij trochę mocniej.", "Tap a little harder"},
        {"PRAWA 1/8: peak 0.030 g poniżej progu", "Tap a little harder"},
        {"PRAWA 1/8: za krótka przerwa między uderzeniami", "Leave a short gap between taps"},
        {"PRAWA 1/8: próbka pominięta", "Try that tap again"},
        {"LEWA 2/6: peak 0.083 g", "Left side: 2/6"},
        {"LEWA bez dwukropka", "Left side: bez dwukropka"},
        // Hits and demo sounds: the drum's name, with the side for a hit.
        {"L  kick    peak 0.080 g  volume 0.30", "Left · Kick"},
        {"R  hihat   peak 0.080 g  volume 0.30", "Right · Hi-hat"},
        {"DEMO hihat volume 0.3", "Hi-hat"},
        {"L  bongo   peak 0.080 g", std::nullopt},
        // Nothing for the user.
        {"Sensor: 800 raportów, 800 Hz.", std::nullopt},
        {"Koniec: 4000 próbek, 4 uderzeń, 0 niepewnych stron.", std::nullopt},
        {R"(CALIBRATION {"stage":"Trening","leftCount":0,"rightCount":0,"total":8,"blockRemaining":4,"collecting":false})",
         std::nullopt},
        {R"(CALIBRATION {"stage":"Profil stron zapisany · niezależny test)", std::nullopt},
    };
    for (const auto& [line, message] : cases) EXPECT_EQ(playerMessage(line), message) << line;
}

}  // namespace
}  // namespace knockbox
