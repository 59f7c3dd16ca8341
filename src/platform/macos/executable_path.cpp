#include "platform/executable_path.h"

#include <mach-o/dyld.h>

#include <cstdint>
#include <string>
#include <system_error>

namespace knockbox {

std::filesystem::path executablePath() {
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) return {};
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(path.c_str(), error);
    return error ? std::filesystem::path() : resolved;
}

}  // namespace knockbox
