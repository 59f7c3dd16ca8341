#pragma once
// UTF-8 checks for text that comes from outside: files, the system.

#include <cstddef>
#include <string>
#include <string_view>

namespace knockbox {

// Length of the valid UTF-8 sequence at the start of `text` (1 to 4), 0 when
// it is invalid or cut off. Overlong forms, surrogates and code points above
// U+10FFFF are invalid.
std::size_t utf8SequenceLength(std::string_view text);

bool isValidUtf8(std::string_view text);

// The text with every invalid byte replaced by U+FFFD.
std::string replacingInvalidUtf8(std::string_view text);

}  // namespace knockbox
