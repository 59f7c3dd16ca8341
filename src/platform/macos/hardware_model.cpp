#include "platform/hardware_model.h"

#include <sys/sysctl.h>
#include <sys/types.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace knockbox {

std::string hardwareModel() {
    std::size_t size = 0;
    if (sysctlbyname("hw.model", nullptr, &size, nullptr, 0) != 0 || size < 1) return "unknown";
    std::vector<char> bytes(size, '\0');
    if (sysctlbyname("hw.model", bytes.data(), &size, nullptr, 0) != 0) return "unknown";
    return modelText(std::string_view(bytes.data(), std::min(size, bytes.size())));
}

}  // namespace knockbox
