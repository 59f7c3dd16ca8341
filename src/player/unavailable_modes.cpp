// Modes this build does not have yet (the configuration app, when the
// executable hands in no launcher). Each fails with a plain error line, so
// nothing ever reports success for work that was not done.
#include "core/app_error.h"
#include "player/run_modes.h"

namespace knockbox {
namespace {

[[noreturn]] void unavailable(const char* option) {
    throw AppError(std::string("Tryb ") + option + " nie jest jeszcze dostępny w tej wersji.");
}

}  // namespace

void launchConfigurationUI(const Options&) { unavailable("--ui"); }

}  // namespace knockbox
