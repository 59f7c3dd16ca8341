#include "platform/hardware_model.h"

#include <fstream>
#include <iterator>

namespace knockbox {

std::string hardwareModel() {
    // ARM boards name themselves in the device tree; PCs in the DMI tables.
    for (const char* source : {"/proc/device-tree/model", "/sys/class/dmi/id/product_name"}) {
        std::ifstream file(source, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::string text = modelText(bytes);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        if (!text.empty()) return text;
    }
    return "unknown";
}

}  // namespace knockbox
