#include "protocol/line_tokens.h"

#include <charconv>

#include "core/utf8_text.h"

namespace knockbox {
namespace {

// The Unicode White_Space property.
constexpr bool isWhitespace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// The code point of a valid UTF-8 sequence of `length` bytes.
char32_t decode(std::string_view sequence, std::size_t length) {
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(sequence[0]) & leadMask[length];
    for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    return c;
}

}  // namespace

std::vector<std::string_view> splitOnSpaces(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start) tokens.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return tokens;
}

std::vector<std::string_view> splitOnWhitespace(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t tokenStart = 0, at = 0;
    while (at < line.size()) {
        const std::size_t length = utf8SequenceLength(line.substr(at));
        // An invalid byte is no white space: it stays inside its token.
        const std::size_t step = length == 0 ? 1 : length;
        if (length != 0 && isWhitespace(decode(line.substr(at), length))) {
            if (at > tokenStart) tokens.push_back(line.substr(tokenStart, at - tokenStart));
            tokenStart = at + step;
        }
        at += step;
    }
    if (line.size() > tokenStart) tokens.push_back(line.substr(tokenStart));
    return tokens;
}

std::optional<int> parseInteger(std::string_view text) {
    // from_chars takes a minus sign but no plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace knockbox
