#include "platform/hardware_model.h"

#include "core/utf8_text.h"

namespace knockbox {

std::string modelText(std::string_view bytes) {
    return replacingInvalidUtf8(bytes.substr(0, bytes.find('\0')));
}

}  // namespace knockbox
