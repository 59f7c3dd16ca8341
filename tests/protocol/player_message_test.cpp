#include "protocol/player_message.h"

#include <gtest/gtest.h>

#include <string>

namespace knockbox {
namespace {

// A failure's family of causes, found in the player's own descriptions.
// (Every other line the player prints: player_lines_test.cpp.)
TEST(PlayerMessage, FailuresByFamily) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
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
    };
    for (const auto& [line, message] : cases) EXPECT_EQ(playerMessage(line), message) << line;
    EXPECT_EQ(playerMessage("Błąd: a\x1b[2Jb"), "Player error: a\\x1b[2Jb");
}

}  // namespace
}  // namespace knockbox
