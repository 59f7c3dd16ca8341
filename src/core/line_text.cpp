#include "core/line_text.h"

#include <cstdint>

#include "core/utf8_text.h"

namespace knockbox {
namespace {

constexpr char hexDigits[] = "0123456789abcdef";

char32_t codePoint(std::string_view sequence) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(sequence[i]); };
    switch (sequence.size()) {
    case 1: return byte(0);
    case 2: return (char32_t(byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3: return (char32_t(byte(0) & 0x0F) << 12) | (char32_t(byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
        return (char32_t(byte(0) & 0x07) << 18) | (char32_t(byte(1) & 0x3F) << 12) | (char32_t(byte(2) & 0x3F) << 6) |
               (byte(3) & 0x3F);
    }
}

// Characters that move to another line or reorder what is shown.
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void appendVisible(std::string& out, char32_t c) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x80) (out += "\\x") += {hexDigits[c >> 4], hexDigits[c & 0xF]};
    else
        (out += "\\u") += {hexDigits[(c >> 12) & 0xF], hexDigits[(c >> 8) & 0xF], hexDigits[(c >> 4) & 0xF],
                            hexDigits[c & 0xF]};
}

std::string escaped(std::string_view text, std::size_t limit) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t characters = 0; !text.empty(); ++characters) {
        if (characters == limit) return out + "…";
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        const std::string_view sequence = text.substr(0, length);
        if (const char32_t c = codePoint(sequence); isControl(c)) appendVisible(out, c);
        else out += sequence;
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace

std::string visibleControls(std::string_view text) { return escaped(text, std::string_view::npos); }

std::string outsideText(std::string_view text, std::size_t limit) { return escaped(text, limit); }

std::string pathText(const std::filesystem::path& path) {
    return path.empty() ? std::string("\"\"") : outsideText(path.string());
}

}  // namespace knockbox
