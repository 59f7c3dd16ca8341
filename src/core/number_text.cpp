#include "core/number_text.h"

#include <fast_float/fast_float.h>

#include <array>
#include <charconv>
#include <cmath>

namespace knockbox {

// Parsing goes through fast_float rather than std::from_chars, which Apple's
// libc++ offers for floating point only from macOS 26; printing stays with
// std::to_chars (macOS 13.3 and later).
std::optional<double> parseNumber(std::string_view text) {
    // fast_float takes no plus sign; accept one in front of a digit or point.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [end, error] = fast_float::from_chars(text.data(), text.data() + text.size(), value,
                                               fast_float::chars_format::general);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string fixed(double value, int precision) {
    std::array<char, 400> buffer{};  // holds any double in fixed notation
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    if (error != std::errc{}) return "nan";
    return std::string(buffer.data(), end);
}

std::string shortestNumber(double value) {
    std::array<char, 64> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (error != std::errc{}) return "nan";
    return std::string(buffer.data(), end);
}

std::string shortestDecimal(double value) {
    std::string text = shortestNumber(value);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace knockbox
