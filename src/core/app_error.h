#pragma once
#include <stdexcept>
#include <string>

namespace knockbox {

// The player's user-facing error: its message is the whole description that
// the entry prints after "Błąd: ".
struct AppError : std::runtime_error {
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

}  // namespace knockbox
