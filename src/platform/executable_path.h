#pragma once

#include <filesystem>

namespace knockbox {

// The running program's own file, symbolic links resolved, wherever it was
// started from (through PATH, a link or a relative path). Empty when the
// system cannot tell.
std::filesystem::path executablePath();

}  // namespace knockbox
