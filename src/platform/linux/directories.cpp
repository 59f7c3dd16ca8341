#include "platform/directories.h"

#include <cstdlib>

namespace knockbox {

std::filesystem::path applicationSupportDirectory() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') return data;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / ".local" / "share";
}

bool insideApplicationBundle() { return false; }

}  // namespace knockbox
