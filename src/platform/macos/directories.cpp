#include "platform/directories.h"

#include <cstdlib>

#include "platform/executable_path.h"

namespace knockbox {

std::filesystem::path applicationSupportDirectory() {
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / "Library" / "Application Support";
}

bool insideApplicationBundle() {
    // <name>.app/Contents/MacOS/<executable>
    const std::filesystem::path bundle = executablePath().parent_path().parent_path().parent_path();
    return bundle.extension() == ".app";
}

}  // namespace knockbox
