#pragma once
// A guard in front of the JSON parser: a file of nothing but brackets would
// make it build a tree as deep as the file is long. Our files nest a few
// levels (a light profile's covariance rows are the deepest, at five).

#include <string_view>

namespace knockbox {

inline constexpr int deepestFileJson = 8;

// Whether arrays and objects in the text nest no deeper than `depth` ("[]" is
// 1, "[[1]]" 2, a bare number 0). Brackets inside strings do not count, as for
// the parser; text that is no JSON at all may pass, for the parser to refuse.
bool jsonNestingWithin(std::string_view text, int depth = deepestFileJson);

}  // namespace knockbox
