#include "player/usage.h"

namespace knockbox {

// Every line ends with a line feed except the last; the help mode adds one.
const std::string_view usageText =
    "Knockbox — perkusja na obudowie Apple Silicon MacBooka\n"
    "Uruchom: ./run.sh\n"
    "Interfejs konfiguracji: ./run.sh --ui lub .build/Knockbox.app\n"
    "  lewa delikatnie → kick        prawa delikatnie → hi-hat\n"
    "  lewa mocniej   → tom          prawa mocniej   → snare\n"
    "Głośność narasta płynnie z peak g. Ctrl-C kończy grę.\n"
    "\n"
    "  --threshold 0.05       minimalny peak dynamicznego przyspieszenia, g\n"
    "  --cooldown 120         odstęp między onsetami, ms + 20 ms ciszy\n"
    "  --accent 0.16          granica delikatne/mocne, g\n"
    "  --full-velocity 0.50   peak dla maksymalnej głośności, g\n"
    "  --volume 1.2          głośność aplikacji 0–1.5, z limiterem\n"
    "  --kit studio         zestaw brzmień: studio, electronic (808), lofi\n"
    "  --kick-sound lofi     osobny wybór kick; także --snare/hihat/tom-sound\n"
    "  --invert-sides         odwróć lewo/prawo\n"
    "  --side-bias 0.0        korekcja średniego attack X, g\n"
    "  --calibrate-typing    po 2 s spokoju: 5 s próbki zwykłego pisania\n"
    "  --calibrate-sides     8 próbek i 3 sprawdzające na stronę, naprzemiennie\n"
    "  --calibrate-strong    naucz strony wyłącznie mocniejszymi uderzeniami\n"
    "  --calibrate-light     osobny profil lekkich, z niezależnym sprawdzeniem\n"
    "  --no-side-profile     pomiń zapisany profil stron\n"
    "  --record session.csv  zapisz accel + gyro (bez zdarzeń klawiatury)\n"
    "  --replay session.csv  odtwórz prawdziwe nagranie bez sudo\n"
    "  --duration 10         zakończ po 10 s\n"
    "  --mute --debug        diagnostyka bez dźwięku\n"
    "  --probe               wykryj SPU HID bez sudo; nie potwierdza raportów\n"
    "  --demo                posłuchaj czterech sampli bez sensora/sudo\n"
    "  --self-test           testy syntetyczne detekcji i wygenerowanych sampli\n"
    "  --export-samples dir  zapisz cztery WAV 48 kHz\n"
    "  --no-typing-guard     świadomie wyłącz blokadę 450 ms po keyDown\n"
    "\n"
    "Sensor: AppleSPUHIDDevice 0xFF00/3, raport 22 B, Q16 XYZ od bajtu 6.\n"
    "Nie wszystkie M1 udostępniają ten sensor. W razie ciszy start kończy się błędem.";

}  // namespace knockbox
