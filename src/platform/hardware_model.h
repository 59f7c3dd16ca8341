#pragma once
// The machine's model identifier, stored with side profiles and calibration
// journals so that a profile learned on one model is not used on another.

#include <string>
#include <string_view>

namespace knockbox {

// macOS: sysctl "hw.model" ("Mac14,2"). Linux: the device-tree model, else the
// DMI product name. "unknown" when there is none.
std::string hardwareModel();

// The bytes up to the first zero byte as UTF-8 text, invalid sequences
// replaced by U+FFFD.
std::string modelText(std::string_view bytes);

}  // namespace knockbox
