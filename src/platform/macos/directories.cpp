#include "platform/directories.h"

#include <mach-o/dyld.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace knockbox {

std::filesystem::path applicationSupportDirectory() {
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / "Library" / "Application Support";
}

bool insideApplicationBundle() {
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) return false;
    // <name>.app/Contents/MacOS/<executable>
    const std::filesystem::path bundle =
        std::filesystem::path(path.c_str()).parent_path().parent_path().parent_path();
    return bundle.extension() == ".app";
}

}  // namespace knockbox
